#include "tools/scan_dump.h"

#include "basics/error.h"
#include "basics/ole_date.h"
#include "basics/scan_data.h"
#include "platform/env.h"
#include "tools/tool_output.h"

#include <QDateTime>
#include <QStringList>
#include <QtEndian>

#include <charconv>
#include <cmath>

namespace tools {
namespace {

// The shortest text that reads back as the same float or double.
template <typename Number>
QString shortest_text(Number value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return QString::fromLatin1(buffer, result.ptr - buffer);
}

QString float_text(float value) {
  return shortest_text(value);
}

template <typename T, typename Text>
QString joined(const QVector<T>& values, qint32 count, Text text) {
  QStringList parts;
  for (qint32 i = 0; i < count; ++i) parts << text(values[i]);
  return parts.join(u',');
}

QString int_text(qint32 value) {
  return QString::number(value);
}

QString time_text(double days) {
  const QDateTime time = basics::date_time_from_ole(days);
  const QString readable = time.isValid() ? time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))
                                          : QStringLiteral("not a valid date");
  return readable + QStringLiteral(" (OLE date ") + shortest_text(days) + QStringLiteral(")");
}

// The header lines of a scan file of `version` read into `record`; `bytes`
// is the whole file.
QStringList header_lines(const basics::scan_data& record, float version, const QByteArray& bytes) {
  QStringList out;
  const QString bits =
      QString::number(qFromLittleEndian<quint32>(bytes.constData()), 16).rightJustified(8, u'0');
  out << QStringLiteral("version: %1 (%2)").arg(float_text(version), bits.toUpper());
  const qint32 n = record.no_positions;
  out << QStringLiteral("positions: %1").arg(n);
  out << QStringLiteral("spectra: %1").arg(record.no_spectra);
  out << QStringLiteral("points: %1").arg(record.max_no_points);
  out << QStringLiteral("position values: ") + joined(record.positions, n, int_text);
  out << (basics::has_sheet_resistances(version)
              ? QStringLiteral("sheet resistances: ") +
                    joined(record.sheet_resistance, n, float_text)
              : QStringLiteral("sheet resistances: none (version below 1.2)"));
  for (qint32 s = 0; s < record.no_spectra; ++s) {
    out << QStringLiteral("spectrum %1: first %2, last %3, points %4")
               .arg(s)
               .arg(float_text(record.x_min[s]), float_text(record.x_max[s]))
               .arg(record.no_points[s]);
  }
  // The bytes the record takes with its time tell whether the file stored one.
  const qint64 with_time = basics::scan_file_bytes(record).size();
  if (!basics::has_time_of_measurement(version)) {
    out << QStringLiteral("time of measurement: none (version below 1.1)");
  } else if (bytes.size() < with_time) {
    out << QStringLiteral("time of measurement: none (a partial scan file)");
  } else {
    out << QStringLiteral("time of measurement: ") + time_text(record.time_of_measurement);
  }
  if (bytes.size() > with_time) {
    out << QStringLiteral("note: %1 bytes after the time of measurement are not read")
               .arg(bytes.size() - with_time);
  }
  return out;
}

QStringList value_lines(const basics::scan_data& record) {
  QStringList out;
  QString title = QStringLiteral("index,position,spectrum");
  for (qint32 w = 0; w < record.max_no_points; ++w) title += QStringLiteral(",slot %1").arg(w);
  out << title;
  for (qint32 p = 0; p < record.no_positions; ++p) {
    for (qint32 s = 0; s < record.no_spectra; ++s) {
      QString line = QStringLiteral("%1,%2,%3").arg(p).arg(record.positions[p]).arg(s);
      const qint32 first = record.the_index(p, s, 0);
      for (qint32 w = 0; w < record.max_no_points; ++w) {
        line += u',' + float_text(record.spectral_data[first + w]);
      }
      out << line;
    }
  }
  return out;
}

// ---- dump --json ------------------------------------------------------------

// A float as JSON: its shortest text, null for what JSON cannot hold.
QString json_number(float value) {
  return std::isfinite(value) ? float_text(value) : QStringLiteral("null");
}

template <typename T, typename Text>
QString json_array(const QVector<T>& values, qint32 count, Text text) {
  return u'[' + joined(values, count, text) + u']';
}

QString json_float_array(const float* values, qint32 count) {
  QStringList parts;
  for (qint32 i = 0; i < count; ++i) parts << json_number(values[i]);
  return u'[' + parts.join(u',') + u']';
}

// The scan file as one JSON object, for scripts: the header items of the
// text dump and "values", position by position, spectrum by spectrum, all M
// slots; what the file does not store is null.
// Written by hand rather than through QJsonDocument: that writer sorts the
// keys, prints -0 as 0 and whole floats such as 1e+06 in full, and doubles
// a float's shortest text (0.1 becomes 0.10000000149011612), so scripts would
// see other bytes than the text dump's numbers.
QString json_dump(const basics::scan_data& record, float version, const QByteArray& bytes) {
  const qint32 n = record.no_positions;
  QStringList items;
  const auto item = [&](const char* key, const QString& value) {
    items << QStringLiteral("\"%1\":%2").arg(QLatin1String(key), value);
  };
  item("version", json_number(version));
  item("positions", json_array(record.positions, n, int_text));
  item("sheet_resistances", basics::has_sheet_resistances(version)
                                ? json_array(record.sheet_resistance, n, json_number)
                                : QStringLiteral("null"));
  QStringList axes;
  for (qint32 s = 0; s < record.no_spectra; ++s) {
    axes << QStringLiteral("{\"first\":%1,\"last\":%2,\"points\":%3}")
                .arg(json_number(record.x_min[s]), json_number(record.x_max[s]))
                .arg(record.no_points[s]);
  }
  item("spectra", u'[' + axes.join(u',') + u']');
  item("slots", QString::number(record.max_no_points));
  const qint64 with_time = basics::scan_file_bytes(record).size();
  const bool has_time = basics::has_time_of_measurement(version) && bytes.size() >= with_time;
  const QDateTime time = basics::date_time_from_ole(record.time_of_measurement);
  item("time_of_measurement",
       !has_time
           ? QStringLiteral("null")
           : QStringLiteral("{\"ole\":%1,\"local\":%2}")
                 .arg(std::isfinite(record.time_of_measurement)
                          ? shortest_text(record.time_of_measurement)
                          : QStringLiteral("null"),
                      time.isValid()
                          ? u'"' + time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) + u'"'
                          : QStringLiteral("null")));
  QStringList positions;
  for (qint32 p = 0; p < n; ++p) {
    QStringList spectra;
    for (qint32 s = 0; s < record.no_spectra; ++s) {
      spectra << json_float_array(record.spectral_data.constData() + record.the_index(p, s, 0),
                                  record.max_no_points);
    }
    positions << u'[' + spectra.join(u',') + u']';
  }
  item("values", u'[' + positions.join(u',') + u']');
  return u'{' + items.join(u',') + QStringLiteral("}\n");
}

}  // namespace

int dump_scan_file(const QString& scan_file, bool json) {
  const auto not_read = [&](const QString& reason) {
    print_error(
        QStringLiteral("Error: The scan file %1 cannot be read. %2").arg(scan_file, reason));
    return kFailed;
  };
  QByteArray bytes;
  const platform::Status status = platform::env().read_file(scan_file, &bytes);
  if (!status.ok()) return not_read(status.message());
  basics::scan_data record;
  try {
    // No load time: the header tells from the file's size whether it stored one.
    basics::read_scan_file_bytes(bytes, 0.0, record);
  } catch (const basics::error& e) {
    return not_read(e.text());
  }
  // The reader has checked the header is there; it keeps the version out
  // of the record, so the dump takes it from the bytes.
  const float version = basics::scan_file_version(bytes);
  record.file_format = version;
  const QString text =
      json ? json_dump(record, version, bytes)
           : (header_lines(record, version, bytes) + QStringList{QString()} + value_lines(record))
                     .join(u'\n') +
                 u'\n';
  return print_stdout(text.toUtf8()) ? 0 : kFailed;
}

}  // namespace tools
