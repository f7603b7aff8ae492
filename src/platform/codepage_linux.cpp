#include "platform/codepage.h"

#include <QHash>
#include <QStringDecoder>

#include <array>
#include <cstring>

namespace platform {
namespace {

// Windows-1252 as one table of 256 characters, taken once from Qt's codec.
// A table instead of QStringEncoder on the way back because the encoder puts
// the control character SUB (0x1A) where Windows writes "?", and because a
// stateless lookup is all a single-byte code page needs.
struct ansi_table {
  std::array<char16_t, 256> to_unicode{};
  QHash<char16_t, char> from_unicode;  // only the characters above 0x7F

  ansi_table() {
    QByteArray all_bytes(256, Qt::Uninitialized);
    for (int byte = 0; byte < 256; ++byte) all_bytes[byte] = char(byte);
    const QString decoded = QStringDecoder("windows-1252").decode(all_bytes);
    for (int byte = 0; byte < 256; ++byte) {
      // Without ICU the codec is missing; Latin-1 is then the closest we have.
      to_unicode[byte] = decoded.size() == 256 ? decoded[byte].unicode() : char16_t(byte);
      if (byte >= 0x80) from_unicode.insert(to_unicode[byte], char(byte));
    }
  }
};

const ansi_table& table() {
  static const ansi_table instance;
  return instance;
}

// Eight bytes at a time: a measurement file is almost all ASCII.
bool is_ascii(const QByteArray& bytes) {
  constexpr quint64 kHighBits = 0x8080808080808080ULL;
  const char* data = bytes.constData();
  const qsizetype size = bytes.size();
  quint64 high = 0;
  qsizetype i = 0;
  for (; i + 8 <= size; i += 8) {
    quint64 word;
    std::memcpy(&word, data + i, 8);
    high |= word;
  }
  for (; i < size; ++i) high |= uchar(data[i]);
  return (high & kHighBits) == 0;
}

}  // namespace

QString ansi_to_unicode(const QByteArray& bytes) {
  // The code page keeps ASCII as it is: Qt's vectorised Latin-1 widening
  // does the bulk of a measurement file, the table only the bytes above.
  QString text = QString::fromLatin1(bytes);
  const auto* in = reinterpret_cast<const uchar*>(bytes.constData());
  if (is_ascii(bytes)) return text;
  const auto& to_unicode = table().to_unicode;
  // Raw pointers: indexing a QString checks for sharing on every write.
  QChar* out = text.data();
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    if (in[i] >= 0x80) out[i] = QChar(to_unicode[in[i]]);
  }
  return text;
}

QByteArray unicode_to_ansi(const QString& text) {
  const auto& from_unicode = table().from_unicode;
  QByteArray bytes;
  bytes.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i].unicode();
    if (unit < 0x80) {
      bytes.append(char(unit));
      continue;
    }
    // A surrogate pair is one character and becomes one "?".
    if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
    bytes.append(from_unicode.value(unit, '?'));
  }
  return bytes;
}

bool ansi_holds(const QString& text) {
  const auto& from_unicode = table().from_unicode;
  for (const QChar c : text) {
    if (c.unicode() >= 0x80 && !from_unicode.contains(c.unicode())) return false;
  }
  return true;
}

}  // namespace platform
