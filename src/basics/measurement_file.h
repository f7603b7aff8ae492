#pragma once

// What the instruments' comma-separated measurement files have in common:
// lines counted from 1, the plate number in field 2 of line 4, and the
// refusal of a file too short to convert.
//
// Thread-safe: every function may run on several threads at once; none keeps
// state of its own.

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVarLengthArray>

#include <functional>
#include <optional>
#include <vector>

#include "basics/message_sink.h"

namespace basics {

struct scan_data;

// The line holding the plate number, and its field.
inline constexpr int kPlateLine = 4;
inline constexpr int kPlateField = 2;

// Whether traverse point `point` (from 1) is converted.
using point_predicate = std::function<bool(int point)>;

// Traverse files give one value per position from this field on.
inline constexpr int kFirstValueField = 4;

// Line `number` (from 1) of `lines`, or empty past either end.
QString line_at(const QStringList& lines, int number);

// The plate number in `field`, as the measurement files give it. A field
// that does not convert is reported to `message` and gives the value of the
// sign and digits it starts with (0 without any).
qint32 plate_number(const QString& field, const message_sink& message);

// The plate number of a measurement file's lines, as plate_number.
qint32 plate_number_of(const QStringList& lines, const message_sink& message);

// "Length of file <path> too small!", the refusal of a file too short to
// convert.
QString too_small_message(const QString& path);

// The refusal of a file whose position line (line `line`, the positions
// after its second comma) gives `count` positions when a scan file takes 0
// to `largest`: a line of fewer than two commas lists none at all.
std::optional<QString> position_count_refusal(int count, int line, const QString& name,
                                              int largest);

// The fields of one line, split once: a reader that takes every field of a
// line would otherwise walk the line again for each field.
class line_fields {
 public:
  // `expected` fields are made room for at once.
  line_fields(const QString& line, qsizetype expected);

  // Field n (from 1), trimmed, as comma_field gives it; empty past the end.
  // The view lives as long as this object.
  QStringView operator[](int n) const;

 private:
  QString line_;  // holds the characters the fields look at
  // The fields of a traverse line (one per position and four more) need no
  // allocation of their own.
  QVarLengthArray<QStringView, 40> fields_;
};

// The slots of a scan record that one reading wrote (the values that
// converted); every other slot kept what the record held, the previous
// file's value. A batch reads files apart and carries them over in order
// with carry_written, giving the bytes a reading in order would give.
struct written_slots {
  std::vector<bool> positions;
  std::vector<bool> sheet_resistance;
  std::vector<bool> spectral_data;

  static void mark(std::vector<bool>& flags, qsizetype index) {
    if (qsizetype(flags.size()) <= index) flags.resize(index + 1);
    flags[index] = true;
  }
};

// How many of a file's `count` positions are selected.
int count_selected(int count, const point_predicate& selected);

// Reads `count` positions from `line` into the slots of `record`: file
// position i (from 0) fills the next slot when point i + 1 is selected. A
// field that does not convert is reported to `message` and leaves its slot
// as it was; the next selected position still takes the next slot, so
// positions and spectra stay aligned. Slots written are marked in `written`
// when given.
void read_selected_positions(const QString& line, int count, const point_predicate& selected,
                             scan_data& record, const message_sink& message,
                             written_slots* written = nullptr);

// The last modification at the two-second resolution of MS-DOS file times:
// the time of measurement the scan files carry.
QDateTime two_second_time(const QDateTime& time);

// Makes sure `record` has room for `positions` positions and every point of
// its first `spectra` spectra, as the readers write by index without further
// checks: otherwise throws basics::error saying it cannot hold the positions
// of `file` ("an exsitu file").
void require_record_holds(const scan_data& record, int positions, int spectra, const QString& file);

}  // namespace basics
