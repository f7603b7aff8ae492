#include "deployment.h"

namespace test_support {

QByteArray with_plate(QByteArray measurement, int plate) {
  return measurement.replace("Plate number,1\r\n",
                             "Plate number," + QByteArray::number(plate) + "\r\n");
}

QByteArray insitu_bytes(const insitu_measurement& m) {
  return insitu_lines(m).join(QStringLiteral("\r\n")).toLatin1() + "\r\n";
}

insitu_measurement insitu_of(const QString& plate, const QString& probe_head) {
  insitu_measurement m;
  m.plate = plate;
  m.probe_head = probe_head;
  return m;
}

}  // namespace test_support
