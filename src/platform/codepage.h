#pragma once

// The ANSI code page of the files the scanner reads and writes without a
// byte-order mark: Windows-1252 on every system.

#include <QByteArray>
#include <QString>

namespace platform {

QString ansi_to_unicode(const QByteArray& bytes);

// Characters that Windows-1252 cannot hold become "?", as Windows does.
QByteArray unicode_to_ansi(const QString& text);

}  // namespace platform
