#include "basics/string_record.h"

#include "basics/error.h"
#include "platform/codepage.h"

#include <QtEndian>

#include <optional>

namespace basics {

float read_file_version = 0.0f;
float program_file_version = 3.99001f;

namespace {

// Single-byte layout: each block is one length byte and 255 character bytes.
constexpr int kBlockChars = 255;
constexpr int kBlockSize = kBlockChars + 1;
constexpr qint64 kCountSize = 4;

QByteArray le_int32(qint32 value) {
  QByteArray bytes(kCountSize, Qt::Uninitialized);
  qToLittleEndian(value, bytes.data());
  return bytes;
}

// The count in front of every record, or nothing when fewer than four bytes
// are left (then nothing is consumed).
std::optional<qint32> read_count(QIODevice& stream) {
  if (stream.bytesAvailable() < kCountSize) return std::nullopt;
  const QByteArray bytes = stream.read(kCountSize);
  if (bytes.size() < kCountSize) return std::nullopt;
  return qFromLittleEndian<qint32>(bytes.constData());
}

// The count only fixes how many blocks follow; the text is what their
// length bytes say. A block cut short by the end of the stream ends the text
// with the characters it still holds, so a truncated file never makes us
// read past its end, and a huge count costs no more than the bytes present.
QString read_single_byte_record(QIODevice& stream) {
  const std::optional<qint32> n = read_count(stream);
  if (!n) return {};
  const qint64 blocks = *n / kBlockChars + 1;  // truncating division, as stored
  if (blocks <= 0) return {};
  QByteArray characters;
  for (qint64 i = 0; i < blocks; ++i) {
    const QByteArray block = stream.read(kBlockSize);
    if (block.isEmpty()) break;
    const int length = static_cast<quint8>(block[0]);
    characters += block.mid(1, length);
    if (block.size() < kBlockSize) break;
  }
  return platform::ansi_to_unicode(characters);
}

QString read_utf16_record(QIODevice& stream) {
  const std::optional<qint32> count = read_count(stream);
  if (!count || *count < 0 || *count > stream.bytesAvailable()) return {};
  const QByteArray bytes = stream.read(*count);
  const qsizetype units = bytes.size() / 2;  // an odd last byte is dropped
  QString text(units, Qt::Uninitialized);
  qFromLittleEndian<quint16>(bytes.constData(), units, text.data());
  return text;
}

QByteArray single_byte_record(const QString& text) {
  const QByteArray characters = platform::unicode_to_ansi(text);
  const qint32 n = static_cast<qint32>(characters.size());
  QByteArray record = le_int32(n);
  for (qint32 block = 0; block <= n / kBlockChars; ++block) {
    const QByteArray part = characters.mid(qsizetype(block) * kBlockChars, kBlockChars);
    record += char(part.size());
    record += part;
    record += QByteArray(kBlockChars - part.size(), '\0');
  }
  return record;
}

QByteArray utf16_record(const QString& text) {
  QByteArray record = le_int32(static_cast<qint32>(text.size() * 2));
  const qsizetype offset = record.size();
  record.resize(offset + text.size() * 2);
  qToLittleEndian<quint16>(text.constData(), text.size(), record.data() + offset);
  return record;
}

}  // namespace

bool uses_utf16_records(float version) {
  // Widened to double, the float nearest 3.18 (3.1800000668) lies above the
  // decimal 3.18 and so selects the UTF-16 layout, as the files expect.
  return static_cast<double>(version) > 3.18;
}

QString read_string_record(QIODevice& stream) {
  return uses_utf16_records(read_file_version) ? read_utf16_record(stream)
                                               : read_single_byte_record(stream);
}

void write_string_record(const QString& text, QIODevice& stream) {
  const QByteArray record =
      uses_utf16_records(program_file_version) ? utf16_record(text) : single_byte_record(text);
  if (stream.write(record) != record.size()) {
    throw error(QStringLiteral("Could not write a text record: %1").arg(stream.errorString()));
  }
}

bool string_record_fits(QIODevice& stream) {
  const QByteArray count_bytes = stream.peek(4);
  if (count_bytes.size() < 4) return false;
  const qint32 count = qFromLittleEndian<qint32>(count_bytes.constData());
  qint64 size = 4;
  if (uses_utf16_records(read_file_version)) {
    if (count > 0) size += count;
  } else if (count / 255 >= 0) {
    size += (qint64{count / 255} + 1) * 256;  // blocks of one length byte and 255 characters
  }
  return size <= stream.bytesAvailable();
}

}  // namespace basics
