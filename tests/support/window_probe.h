#pragma once

// Seeing the windows of a program started as a process (window mode on the
// offscreen platform): the environment settings that load the window probe
// plugin into it, and the lines it then writes to standard error.

#include <QDir>
#include <QString>
#include <QStringList>

namespace test_support {

// "NAME=value" settings for the program's environment. The probe's folder
// comes before those the program finds its own plugins in already (under
// Wine its platforms, on QT_PLUGIN_PATH).
inline QStringList window_probe_settings() {
  QString folders = QString::fromUtf8(WINDOW_PROBE_PLUGIN_PATH);
  const QString given = qEnvironmentVariable("QT_PLUGIN_PATH");
  if (!given.isEmpty()) folders += QDir::listSeparator() + given;
  return {QStringLiteral("QT_PLUGIN_PATH=") + folders,
          QStringLiteral("QT_QPA_GENERIC_PLUGINS=window_probe")};
}

// The probe's line when a message box with `text` opens.
inline QString box_shown(const QString& text) {
  return QStringLiteral("window probe: shown QMessageBox: ") + text;
}

// The probe's line when that box closes.
inline QString box_hidden(const QString& text) {
  return QStringLiteral("window probe: hidden QMessageBox: ") + text;
}

}  // namespace test_support
