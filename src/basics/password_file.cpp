#include "basics/password_file.h"

#include "basics/string_record.h"
#include "platform/env.h"

#include <QBuffer>
#include <QtEndian>

#include <bit>
#include <optional>

namespace basics {
namespace {

constexpr qint64 kUnusedHeaderBytes = 187 * 4;
constexpr qint64 kUnusedRecordBytes = 7 * 4;

template <typename T>
std::optional<T> read_little_endian(QIODevice& file) {
  const QByteArray bytes = file.read(sizeof(T));
  if (bytes.size() != qsizetype(sizeof(T))) return std::nullopt;
  return qFromLittleEndian<T>(bytes.constData());
}

bool skip_exactly(QIODevice& file, qint64 count) {
  return file.skip(count) == count;
}

}  // namespace

bool read_password_records(QIODevice& file, QString& target) {
  const std::optional<quint32> version = read_little_endian<quint32>(file);
  if (!version) return false;
  read_file_version = std::bit_cast<float>(*version);
  if (!skip_exactly(file, kUnusedHeaderBytes)) return false;
  const std::optional<quint16> record_count = read_little_endian<quint16>(file);
  if (!record_count) return false;

  bool complete = true;
  for (int record = 0; record < *record_count; ++record) {
    if (!skip_exactly(file, kUnusedRecordBytes)) return false;
    const bool fits = string_record_fits(file);
    // Read even when cut short: a UTF-16 record with an oversized count
    // consumes only its count, and the records after it are still read.
    const QString text = read_string_record(file);
    if (fits) {
      target += text;
    } else {
      complete = false;
    }
  }
  return complete;
}

void read_password_file(QString& target, const QString& path, const message_sink& message) {
  target.clear();
  QByteArray contents;
  bool read_ok = platform::env().read_file(path, &contents).ok();
  if (read_ok) {
    QBuffer file(&contents);
    file.open(QIODevice::ReadOnly);
    read_ok = read_password_records(file, target);
  }
  if (!read_ok) {
    message(QStringLiteral("Could not read password from file ") + path);
  }
}

}  // namespace basics
