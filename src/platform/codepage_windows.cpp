#include "platform/codepage.h"

#include <windows.h>

namespace platform {
namespace {

// The system's ANSI code page, whatever the machine is set to (1252 on the
// line PCs of Western Europe, 1250 in Central Europe, ...). The system's own
// conversion, since this Qt has no codecs of its own for code pages.
UINT ansi_code_page() {
  return GetACP();
}

// UTF-8 and UTF-7 refuse the flags and the default character.
bool is_utf(UINT code_page) {
  return code_page == CP_UTF8 || code_page == CP_UTF7;
}

// A character beyond the 16-bit range as one "?" (the system writes one for
// each half of it); no ANSI code page holds one.
QString with_pairs_as_one(const QString& text) {
  QString result = text;
  for (qsizetype i = 0; i + 1 < result.size(); ++i) {
    if (result[i].isHighSurrogate() && result[i + 1].isLowSurrogate()) result.replace(i, 2, u'?');
  }
  return result;
}

}  // namespace

QString ansi_to_unicode(const QByteArray& bytes) {
  if (bytes.isEmpty()) return QString();
  const int size = int(bytes.size());
  const int length = MultiByteToWideChar(ansi_code_page(), 0, bytes.constData(), size, nullptr, 0);
  QString text(length, Qt::Uninitialized);
  MultiByteToWideChar(ansi_code_page(), 0, bytes.constData(), size,
                      reinterpret_cast<wchar_t*>(text.data()), length);
  return text;
}

// Characters the code page cannot hold become "?", never a look-alike
// ("ā" is not written as "a"), so that ansi_holds says what is kept.
QByteArray unicode_to_ansi(const QString& given) {
  if (given.isEmpty()) return QByteArray();
  const UINT code_page = ansi_code_page();
  const QString text = is_utf(code_page) ? given : with_pairs_as_one(given);
  const DWORD flags = is_utf(code_page) ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* fallback = is_utf(code_page) ? nullptr : "?";
  const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
  const int size = int(text.size());
  const int length =
      WideCharToMultiByte(code_page, flags, wide, size, nullptr, 0, fallback, nullptr);
  QByteArray bytes(length, Qt::Uninitialized);
  WideCharToMultiByte(code_page, flags, wide, size, bytes.data(), length, fallback, nullptr);
  return bytes;
}

bool ansi_holds(const QString& text) {
  const UINT code_page = ansi_code_page();
  if (text.isEmpty() || is_utf(code_page)) return true;
  BOOL lost = FALSE;
  const int length = WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS,
                                         reinterpret_cast<const wchar_t*>(text.utf16()),
                                         int(text.size()), nullptr, 0, "?", &lost);
  return length > 0 && !lost;
}

}  // namespace platform
