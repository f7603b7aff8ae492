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
  QStringList lines;
  qsizetype start = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c != u'\r' && c != u'\n') continue;
    lines << text.mid(start, i - start);
    if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines << text.mid(start);
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
  QString target;
  raise_on_failure(platform::env().final_target(path, &target));
  raise_on_failure(platform::publish_file(target, settings_bytes_from_lines(lines)));
}

}  // namespace basics
