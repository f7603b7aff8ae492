#pragma once

// The ANSI code page of the files the scanner reads and writes without a
// byte-order mark: Windows-1252 on Linux, the system's own ANSI code page
// (GetACP) on Windows.
//
// Thread-safe: both conversions may run on several threads at once: the code
// page's table is built once, on first use, and only read after that.

#include <QByteArray>
#include <QString>

namespace platform {

QString ansi_to_unicode(const QByteArray& bytes);

// Characters that the code page cannot hold become "?", as Windows does.
QByteArray unicode_to_ansi(const QString& text);

// Whether the code page holds every character of `text`, so that
// unicode_to_ansi loses nothing.
bool ansi_holds(const QString& text);

}  // namespace platform
