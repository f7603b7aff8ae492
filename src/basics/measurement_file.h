#pragma once

// What the instruments' comma-separated measurement files have in common:
// lines counted from 1, the plate number in field 2 of line 4, and the
// refusal of a file too short to convert.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

namespace basics {

// The line holding the plate number, and its field.
inline constexpr int kPlateLine = 4;
inline constexpr int kPlateField = 2;

// Takes one message line for the operator.
using message_sink = std::function<void(const QString&)>;

// Line `number` (from 1) of `lines`, or empty past either end.
QString line_at(const QStringList& lines, int number);

// The plate number in `field`, as the measurement files give it. A field
// that does not convert is reported to `message` and gives the value of the
// sign and digits it starts with (0 without any).
qint32 plate_number(const QString& field, const message_sink& message);

// The plate number of a measurement file's lines, as plate_number.
qint32 plate_number_of(const QStringList& lines, const message_sink& message);

// `time` at the two-second resolution of MS-DOS file times: the time of
// measurement the instruments' files are dated with.
QDateTime two_second_time(const QDateTime& time);

// "Length of file <path> too small!", the refusal of a file too short to
// convert.
QString too_small_message(const QString& path);

}  // namespace basics
