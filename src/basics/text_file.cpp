#include "basics/text_file.h"

#include "basics/error.h"
#include "platform/codepage.h"
#include "platform/env.h"

#include <QStringDecoder>

#include <algorithm>
#include <optional>

namespace basics {

namespace {

struct byte_order_mark {
  QByteArrayView bytes;
  QStringConverter::Encoding encoding;
};

constexpr QByteArrayView kUtf8Mark = "\xEF\xBB\xBF";

constexpr byte_order_mark kByteOrderMarks[] = {
    {kUtf8Mark, QStringConverter::Utf8},
    {"\xFF\xFE", QStringConverter::Utf16LE},
    {"\xFE\xFF", QStringConverter::Utf16BE},
};

bool starts_with_byte_order_mark(const QByteArray& bytes) {
  for (const byte_order_mark& mark : kByteOrderMarks) {
    if (bytes.startsWith(mark.bytes)) return true;
  }
  return false;
}

bool is_plain_ascii(const QByteArray& bytes) {
  return std::all_of(bytes.begin(), bytes.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The text when `bytes` are valid UTF-8 throughout, a sequence cut at the end
// included as invalid.
std::optional<QString> strict_utf8(const QByteArray& bytes) {
  QStringDecoder decoder(QStringConverter::Utf8,
                         QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
  QString text = decoder(bytes);
  if (decoder.hasError()) return std::nullopt;
  return text;
}

QString decode(const QByteArray& bytes) {
  for (const byte_order_mark& mark : kByteOrderMarks) {
    if (bytes.startsWith(mark.bytes)) {
      // Only the mark found here is dropped; a second one stays in the text.
      QStringDecoder decoder(
          mark.encoding, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
      return decoder(QByteArrayView(bytes).sliced(mark.bytes.size()));
    }
  }
  return platform::ansi_to_unicode(bytes);
}

// Splits at CR LF, LF or CR; a line end at the very end adds no empty line.
QStringList split_lines(const QString& text) {
  // Qt's vectorised search finds each kind of line end; the nearer one ends
  // the line.
  const auto next = [&text](char16_t end, qsizetype from) {
    const qsizetype at = text.indexOf(QChar(end), from);
    return at < 0 ? text.size() : at;
  };
  QStringList lines;
  qsizetype next_cr = next(u'\r', 0);
  qsizetype next_lf = next(u'\n', 0);
  qsizetype start = 0;
  while (start < text.size()) {
    const qsizetype end = std::min(next_cr, next_lf);
    lines << text.mid(start, end - start);
    if (end == text.size()) break;
    start = end + 1;
    if (end == next_cr && start == next_lf) ++start;  // CR LF
    if (next_cr < start) next_cr = next(u'\r', start);
    if (next_lf < start) next_lf = next(u'\n', start);
  }
  return lines;
}

}  // namespace

QStringList lines_from_bytes(const QByteArray& bytes) {
  return split_lines(decode(bytes));
}

decoded_lines lines_from_bytes_detecting_utf8(const QByteArray& bytes) {
  if (!starts_with_byte_order_mark(bytes) && !is_plain_ascii(bytes)) {
    if (const std::optional<QString> text = strict_utf8(bytes)) return {split_lines(*text), true};
  }
  return {lines_from_bytes(bytes), false};
}

QByteArray bytes_from_lines(const QStringList& lines) {
  QByteArray bytes;
  for (const QString& line : lines) {
    bytes += platform::unicode_to_ansi(line);
    bytes += "\r\n";
  }
  return bytes;
}

QStringList read_lines(const QString& path) {
  QByteArray bytes;
  raise_on_failure(platform::env().read_file(path, &bytes));  // names the file and the reason
  return lines_from_bytes(bytes);
}

namespace {

QString megabytes(qint64 bytes) {
  constexpr double kMegabyte = 1024.0 * 1024.0;
  return QString::number(double(bytes) / kMegabyte, 'f', 1) + QStringLiteral(" MB");
}

}  // namespace

std::optional<QString> oversize_refusal(const QString& path, qint64 largest) {
  const std::optional<platform::DirEntry> entry = platform::env().entry(path);
  if (!entry || entry->size <= largest) return std::nullopt;
  return QStringLiteral(
             "The file holds %1 (%2 bytes), more than any measurement of its kind "
             "(at most %3); it is not read.")
      .arg(megabytes(entry->size))
      .arg(entry->size)
      .arg(megabytes(largest));
}

QStringList read_measurement_lines(const QString& path, qint64 largest) {
  if (const std::optional<QString> refusal = oversize_refusal(path, largest)) throw error(*refusal);
  return read_lines(path);
}

decoded_lines read_lines_detecting_utf8(const QString& path) {
  QByteArray bytes;
  raise_on_failure(platform::env().read_file(path, &bytes));
  return lines_from_bytes_detecting_utf8(bytes);
}

void write_lines(const QString& path, const QStringList& lines) {
  raise_on_failure(platform::publish_file(path, bytes_from_lines(lines)));
}

QByteArray settings_bytes_from_lines(const QStringList& lines) {
  const QByteArray ansi = bytes_from_lines(lines);
  const bool ansi_holds_all = std::all_of(lines.begin(), lines.end(), platform::ansi_holds);
  if (ansi_holds_all && !starts_with_byte_order_mark(ansi)) return ansi;
  QByteArray utf8 = kUtf8Mark.toByteArray();
  for (const QString& line : lines) utf8 += line.toUtf8() + "\r\n";
  return utf8;
}

void write_settings_lines(const QString& path, const QStringList& lines) {
  raise_on_failure(platform::publish_file_through_links(path, settings_bytes_from_lines(lines)));
}

}  // namespace basics
