#include "platform/name_encoding.h"

#include <QStringView>

namespace platform {
namespace {

constexpr char16_t kEscapedByte = 0xDC00;

bool is_escaped_byte(QStringView text, qsizetype i) {
  const char16_t unit = text[i].unicode();
  const bool second_of_pair = i > 0 && QChar::isHighSurrogate(text[i - 1].unicode());
  return unit >= kEscapedByte + 0x80 && unit <= kEscapedByte + 0xFF && !second_of_pair;
}

// The length of the valid UTF-8 sequence at `at`, 0 when there is none.
int utf8_sequence_length(const unsigned char* at, qsizetype left) {
  const unsigned char lead = at[0];
  if (lead < 0x80) return 1;
  int length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (left < length || at[1] < low || at[1] > high) return 0;
  for (int i = 2; i < length; ++i) {
    if ((at[i] & 0xC0) != 0x80) return 0;
  }
  return length;
}

}  // namespace

QByteArray encoded_name(const QString& name) {
  QByteArray bytes;
  qsizetype run = 0;
  for (qsizetype i = 0; i < name.size(); ++i) {
    if (!is_escaped_byte(name, i)) continue;
    bytes += QStringView(name).sliced(run, i - run).toUtf8();
    bytes += char(name[i].unicode() - kEscapedByte);
    run = i + 1;
  }
  bytes += QStringView(name).sliced(run).toUtf8();
  return bytes;
}

QString decoded_name(const char* bytes) {
  const QByteArray raw(bytes);
  QString name = QString::fromUtf8(raw);
  if (name.toUtf8() == raw && !name.contains(QChar(QChar::ReplacementCharacter))) return name;
  name.clear();
  const auto* at = reinterpret_cast<const unsigned char*>(raw.constData());
  for (qsizetype i = 0; i < raw.size();) {
    const int length = utf8_sequence_length(at + i, raw.size() - i);
    if (length == 0) {
      name += QChar(char16_t(kEscapedByte + at[i]));
      ++i;
    } else {
      name += QString::fromUtf8(raw.constData() + i, length);
      i += length;
    }
  }
  return name;
}

QString unescaped_name(const QString& name) {
  QString result = name;
  for (qsizetype i = 0; i < result.size(); ++i) {
    if (is_escaped_byte(name, i)) result[i] = QChar(char16_t(name[i].unicode() - kEscapedByte));
  }
  return result;
}

}  // namespace platform
