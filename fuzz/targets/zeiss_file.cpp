// The Zeiss plate file as the SELMAR conversion reads it: measurement or
// not, stamp line (without one, the axes alone), parts, plate text, then
// axes, positions and spectra into a scan record, postbake offsets for a
// sample, and the scan file.

#include "basics/zeiss_file.h"
#include "basics/measurement_file.h"
#include "basics/scan_data.h"
#include "basics/text.h"
#include "basics/vellic_scanner_ini.h"
#include "fuzz_input.h"

namespace {

// The point count the window carries from its settings into the first file:
// the settings' default, or a small number (negative too) on the input's
// first line, which the reader itself takes for preamble.
qint32 start_points(const QStringList& lines) {
  const std::optional<int> given = basics::parse_integer(lines.value(0));
  return given && qAbs(*given) <= 1000 ? *given : basics::kDefaultSpectralPositions;
}

// A file without a stamp line: its axes and the record sized to no positions.
void read_unstamped(const QStringList& lines) {
  const std::optional<basics::zeiss_layout> layout = basics::locate_zeiss_axes(lines);
  if (!layout) return;
  fuzz::tolerate_refusal([&] {
    basics::scan_data record;
    basics::shape_zeiss_record(record);
    qint32 points = start_points(lines);
    basics::read_zeiss_axes(lines, *layout, points);
    basics::read_zeiss_positions(lines, *layout, points, record);
    fuzz::require(record.no_positions == 0, "a file without a stamp line has no positions");
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::forbid_prompts();
  const QStringList lines = fuzz::lines(data, size);
  if (!basics::zeiss_has_measurement(lines)) return 0;
  if (basics::zeiss_stamp_line(lines) == 0) {
    read_unstamped(lines);
    return 0;
  }
  const basics::zeiss_reading reading = basics::locate_zeiss_parts(lines);
  if (!reading.layout) {
    fuzz::require(!reading.missing.isEmpty(), "a file without its parts says what it lacks");
    return 0;
  }
  const basics::zeiss_layout& layout = *reading.layout;
  const QString plate_text = basics::zeiss_plate_text(lines, layout);
  // Only a production plate's text names its scan file.
  if (layout.positions >= basics::kProductionPositions && basics::plate_text_refusal(plate_text)) {
    return 0;
  }

  fuzz::tolerate_refusal([&] {
    basics::scan_data record;
    basics::shape_zeiss_record(record);
    qint32 points = start_points(lines);
    const basics::zeiss_axes axes = basics::read_zeiss_axes(lines, layout, points);
    basics::read_zeiss_positions(lines, layout, points, record);
    const qint32 plate = basics::plate_number(plate_text, [](const QString&) {});
    basics::read_zeiss_spectra(lines, layout, axes, points, record, [](const QString&) {});
    if (layout.positions < basics::kProductionPositions) {
      const qint32 piece = basics::postbake_piece(plate);
      basics::original_plate_number(plate);
      basics::add_postbake_offsets(piece, basics::kDefaultPostbakeOffsets, record);
    }
    basics::scan_file_bytes(record);
  });
  return 0;
}
