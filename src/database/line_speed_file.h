#pragma once

// The line-speed file: an empty .txt file in the folder "line_speed" of the
// inline input folder, whose name is the line speed the database last gave
// ("640.txt"), for the inline spectrometer's program to read.

#include <QString>

namespace database {

// The folder holding the line-speed file, ending with the delimiter; empty
// when there is no inline input folder.
QString line_speed_folder(const QString& inline_input_folder);

// Renames the first .txt file of `folder` to `line_speed` + ".txt"; nothing
// to do when it has that name already. False when there is no .txt file or
// the rename fails; `tried` then names the file that was to be renamed
// (the folder alone when there was none).
bool publish_line_speed_file(const QString& folder, qint32 line_speed, QString* tried);

}  // namespace database
