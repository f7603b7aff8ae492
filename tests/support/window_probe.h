#pragma once

// Seeing the windows of a program started as a process (window mode on the
// offscreen platform): the environment settings that load the window probe
// plugin into it, and the lines it then writes to standard error.

#include <QString>
#include <QStringList>

namespace test_support {

// "NAME=value" settings for the program's environment.
inline QStringList window_probe_settings() {
  return {QString::fromUtf8("QT_PLUGIN_PATH=" WINDOW_PROBE_PLUGIN_PATH),
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
