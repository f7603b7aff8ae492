#include "conversion/scan_file_conversion.h"

#include "basics/error.h"
#include "basics/ole_date.h"
#include "platform/env.h"

namespace conversion {

void write_scan_file(claimed_file& file, const std::function<void()>& read,
                     const basics::scan_data& record, const qint32& plate, const QString& folder,
                     const plate_archiver& archive) {
  try {
    read();
    file.note_plate(plate);
    const QString target =
        folder + platform::kDelimiter + QString::number(plate) + QStringLiteral(".scn");
    record.savetofile(target);
    file.note_output(target);
  } catch (const basics::error& e) {
    file.set_aside(e.text());
    return;
  }
  if (!archive(plate, basics::date_time_from_ole(record.time_of_measurement))) {
    file.set_aside(QStringLiteral("The archive copy could not be written."));
  }
}

bool archive_as_plate(claimed_file& file, const QString& prefix, qint32 plate,
                      const QDateTime& measured) {
  return file.archive_copy(file.ctx().lumor_name,
                           prefix + QString::number(plate) + QStringLiteral(".csv"), measured,
                           claimed_file::naming::announce_taken) != claimed_file::archived::failed;
}

}  // namespace conversion
