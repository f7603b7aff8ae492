#pragma once

// Key/value line lists: a key is a whole line equal to the key name
// (a-z/A-Z folded, nothing trimmed); its value is the next line.

#include <QString>
#include <QStringList>

#include "basics/message_sink.h"

namespace basics {

// Last match wins.
QString ini_read_string(const QString& key, const QStringList& list, const QString& default_value);
int ini_read_integer(const QString& key, const QStringList& list, int default_value);
float ini_read_float(const QString& key, const QStringList& list, float default_value);

// First match wins.
QString ini_find_string(const QStringList& list, const QString& key, const QString& default_value);
// A value that is no integer gives the default and the message
// "Error: " + key + " not found in ini-file!".
int ini_find_integer(const QStringList& list, const QString& key, int default_value,
                     const message_sink& message);

}  // namespace basics
