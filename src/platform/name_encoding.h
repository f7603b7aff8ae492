#pragma once

// File names as bytes and as text. Names are bytes on Linux, not text: valid
// UTF-8 is decoded as such, and each byte outside a valid sequence becomes
// one of the lone surrogates U+DC80..U+DCFF, which decoded UTF-8 never
// holds, so the text gives the very same bytes back and such a file can be
// claimed, read and renamed. Pure rules, tested without a disk.
//
// Thread-safe: every function may run on several threads at once; none keeps
// state of its own.

#include <QByteArray>
#include <QString>

namespace platform {

// The bytes `name` stands for: UTF-8, each escaped byte as itself.
QByteArray encoded_name(const QString& name);

// The text of the bytes up to the first NUL, escaping every byte that is
// not part of a valid UTF-8 sequence; encoded_name() gives them back.
QString decoded_name(const char* bytes);

// `name` with each escaped byte as the Latin-1 character of that byte, so
// the name is valid text ("a\xe4.csv" becomes "aä.csv").
QString unescaped_name(const QString& name);

}  // namespace platform
