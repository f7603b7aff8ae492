#pragma once

// The traverse point selection file: for each point n = 1 to 51 a key line
// "Point n" and a value line, "1" when the point is selected, else "0".

#include <QString>
#include <QVector>

#include <optional>

namespace basics {

// Traverse points 1 to 51; flag arrays hold one more entry, index 0 unused.
inline constexpr int kTraversePointCount = 51;

// Sets flag n (1 to 51) exactly when the file's value for "Point n" (key
// matched case-insensitively, last valid value wins) is 1; a missing key or
// any other value unselects the point. Entry 0 is left alone; the array is
// grown to 52 entries when shorter. Throws basics::error naming the file when
// it cannot be read.
void read_point_selection_file(const QString& path, QVector<bool>& point_selected);

// Reads the selection file at `path` as read_point_selection_file does when
// anything is there. Returns why it cannot be read (a folder of that name,
// no permission), the flags then left as they were; nothing when it was
// read or is not there.
std::optional<QString> read_point_selection_if_present(const QString& path,
                                                       QVector<bool>& point_selected);

// What the operator reads of a selection file that cannot be read.
QString unreadable_point_selection(const QString& path, const QString& reason);

// Writes the 102 lines for points 1 to 51 (a missing flag counts as not
// selected), each ended by CR LF, published complete under `path`. Throws
// basics::error on failure and leaves an existing file as it was.
void write_point_selection_file(const QString& path, const QVector<bool>& point_selected);

}  // namespace basics
