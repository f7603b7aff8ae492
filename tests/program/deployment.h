#pragma once

// A deployment of one built program, as a package installs it and a service
// manager runs it: the program copied alone into its program folder, the
// VELLIC tree it works in, and the process with its journal.

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "platform/env.h"
#include "support/insitu_file.h"
#include "support/journal_wait.h"
#include "support/no_display.h"
#include "support/stop_process.h"
#include "support/system_entries.h"
#include "support/temp_tree.h"

namespace test_support {

inline const QString kProgram = QStringLiteral("DORNIK_spectrum_scanner");

// What a program file's name ends in.
#ifdef _WIN32
inline const QString kProgramSuffix = QStringLiteral(".exe");
#else
inline const QString kProgramSuffix;
#endif

// What a scanner started from the test is started with to run headless:
// nothing on Linux, where the tests name no display; --headless on Windows,
// where it shares the test's desktop.
inline QStringList headless_arguments() {
  return kOnWindows ? QStringList{QStringLiteral("--headless")} : QStringList();
}

// A program folder "prog" holding only the program and vellic_path.ini, a
// VELLIC tree "v" with product P and an archive, and an exsitu input folder
// "in"; set_up_insitu() adds the insitu side.
class deployment {
 public:
  explicit deployment(const QString& program_name = kProgram) : program_name(program_name) {
    const QString program = program_path();
    tree.make_folder("prog");
    EXPECT_TRUE(
        QFile::copy(QStringLiteral(TEST_BIN_DIR "/") + program_name + kProgramSuffix, program));
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    tree.write("v/database/current_product/P", {});
    tree.make_folder(measurement_folder("L"));
    tree.make_folder("v/archive");
    tree.make_folder("in");
    tree.write("prog/vellic_path.ini", tree.path("v").toLocal8Bit() + "\r\n");
  }

  // The scanner's settings: exsitu files from "in" into the LUMOR
  // measurement L, then `further_lines` (line 2 on).
  void write_scanner_settings(const QByteArray& further_lines = {}) {
    tree.write("prog/vellic_scanner.ini",
               tree.path("in").toLocal8Bit() + "\r\nL\r\n" + further_lines);
  }

  // Insitu files from the folder "insitu"; the probe heads table of the
  // fixture sends probe head "Kopf S\u00fcd" to the measurement coater_top
  // and "PH-2" to coater_bottom, and both measurement folders exist.
  void set_up_insitu() {
    tree.make_folder("insitu");
    tree.write("prog/DORNIK_probeheads.bin", test_support::fixture("vocabulary_probeheads.bin"));
    for (const QString& name : {QStringLiteral("coater_top"), QStringLiteral("coater_bottom")}) {
      tree.make_folder(measurement_folder(name));
    }
    write_scanner_settings("False\r\n1\r\n125\r\n\r\nInsitu input path\r\n" +
                           tree.path("insitu").toLocal8Bit() + "\r\n");
  }

  // The output folder of the LUMOR measurement `name` of product P.
  static QString measurement_folder(const QString& name) {
    return "v/database/products/P/measurements/" + name + "/new";
  }

  // Puts `bytes` into the input folder `folder` as an instrument does:
  // written elsewhere, then moved in whole.
  void drop(const QString& name, const QByteArray& bytes, const QString& folder = "in") {
    const QString written = tree.write("staging/" + name, bytes);
    EXPECT_TRUE(QFile::rename(written, tree.path(folder + "/" + name)));
  }

  // A folder of the tree as the programs print it: native delimiters, and
  // one at its end.
  QString printed_folder(const QString& relative) const {
    return platform::with_delimiter(tree.path(relative));
  }

  QStringList input_files(const QString& folder = "in") const {
    return QDir(tree.path(folder)).entryList(QDir::Files | QDir::Hidden);
  }

  // Archive files by their path below v/archive, with "/" between folders.
  QStringList archive_files() const {
    QStringList found;
    QDirIterator it(tree.path("v/archive"), QDir::Files | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
      found << QDir(tree.path("v/archive")).relativeFilePath(it.next());
    }
    found.sort();
    return found;
  }

  void start(const QStringList& settings = {}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Headless unless `settings` choose a platform.
    for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
      environment.remove(QString::fromLatin1(display));
    }
    for (const QString& setting : settings) {
      environment.insert(setting.section(QLatin1Char('='), 0, 0),
                         setting.section(QLatin1Char('='), 1));
    }
    const QString user = data_home.isEmpty() ? tree.make_folder("user") : tree.path(data_home);
    environment.insert(QStringLiteral("XDG_DATA_HOME"), user);
    environment.insert(QStringLiteral("APPDATA"), user);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), tree.make_folder("runtime"));
    process.setWorkingDirectory(tree.path());
    displayless = std::none_of(settings.begin(), settings.end(), [](const QString& s) {
      return s.startsWith(QLatin1String("QT_QPA_PLATFORM="));
    });
    if (displayless) {
      // Headless by itself, as under a service manager.
      nowhere.start(process, program_path(), {}, environment);
    } else {
      process.setProcessEnvironment(environment);
      process.start(program_path());
    }
    ASSERT_TRUE(process.waitForStarted(10000));
  }

  // The program in the program folder.
  QString program_path(const QString& name = QString()) const {
    return tree.path("prog/" + (name.isEmpty() ? program_name : name) + kProgramSuffix);
  }

  // Collects standard error until `done` holds; false after a generous
  // bound, so a hanging program fails the test instead of stalling it.
  bool wait_until(const std::function<bool()>& done) {
    return test_support::collect_journal_until(process, journal, done);
  }

  bool journal_has(const QString& line) const {
    return journal.split(QLatin1Char('\n')).contains(line);
  }

  // Sends `signal` and waits for the program to end.
  void stop_with(int signal) {
    if (displayless) {
      nowhere.send_stop(process, signal);
    } else {
      test_support::send_stop(process, signal);
    }
    EXPECT_TRUE(process.waitForFinished(30000));
    journal += QString::fromUtf8(process.readAllStandardError());
  }

  QString program_name;
  // The user's data folder below the tree, left to the program to make;
  // empty: "user", there from the start.
  QString data_home;
  temp_tree tree;
  // Where the program runs unless a test chooses its platform.
  no_display nowhere;
  bool displayless = true;
  QProcess process;
  QString journal;
};

// A regular expression for a path the programs print, written with '/'
// between its folders: the native delimiter there.
inline QString native_pattern(const QString& pattern) {
  return QString(pattern).replace(QLatin1Char('/'),
                                  QRegularExpression::escape(QString(platform::kDelimiter)));
}

// An exsitu measurement with `plate` as its plate number.
QByteArray with_plate(QByteArray measurement, int plate);

// An insitu file as a probe head writes it: Windows-1252 (for the letters
// used here the same bytes as Latin-1), CR LF.
QByteArray insitu_bytes(const insitu_measurement& m);

insitu_measurement insitu_of(const QString& plate, const QString& probe_head);

}  // namespace test_support
