// The Debian package, made from the build as scripts/package makes it (by
// the test package_tests.make_package), and
// checked as a Debian administrator would: unpacked into a temporary root,
// linted, its service unit verified, its maintainer scripts run, and its
// files compared with those `cmake --install` puts.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QStringList kScanners = {"DORNIK_spectrum_scanner", "Halvik_scanner",
                               "SELMAR_spectrum_scanner", "TULMEN_scanner",
                               "VELLIC_spectrum_scanner"};
// The tools and the editor as /usr/bin names them, beside the scanners.
const QStringList kPrefixed = {"dornik-language-editor", "dornik-scan-file-tool",
                               "dornik-vocabulary-tool"};
const QString kPackage = QStringLiteral("dornik-spectrum-scanner");

struct finished_run {
  int exit_code = -1;
  QString out;
  QString err;
};

finished_run run(const QString& program, const QStringList& arguments,
                 const QStringList& settings = {}, int seconds = 300) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const QString& setting : settings) {
    environment.insert(setting.section('=', 0, 0), setting.section('=', 1));
  }
  process.setProcessEnvironment(environment);
  process.start(program, arguments);
  finished_run result;
  if (!process.waitForFinished(seconds * 1000)) {
    process.kill();
    process.waitForFinished();
    ADD_FAILURE() << program.toStdString() << " did not end";
  }
  result.exit_code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
  result.err = QString::fromLocal8Bit(process.readAllStandardError());
  return result;
}

bool have(const char* program) {
  return !QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty();
}

// Every file below `root` (links as links), relative to it, with its bytes.
QMap<QString, QByteArray> files_below(const QString& root) {
  QMap<QString, QByteArray> files;
  QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    files.insert(QDir(root).relativeFilePath(path), file.readAll());
  }
  return files;
}

QString text_of(const QString& path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
  return QString::fromUtf8(file.readAll());
}

// The package made once for all cases: the .deb, its files unpacked into
// "root" and its control files into "control".
class PackageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = std::make_unique<QTemporaryDir>();
    // Made by the test package_tests.make_package before these cases.
    const QStringList debs =
        QDir(QStringLiteral(PACKAGE_DIR)).entryList({kPackage + "_*.deb"}, QDir::Files);
    ASSERT_EQ(debs.size(), 1) << "no package in " PACKAGE_DIR;
    deb_ = QStringLiteral(PACKAGE_DIR "/") + debs.first();
    ASSERT_EQ(run("dpkg-deb", {"-x", deb_, root()}).exit_code, 0);
    ASSERT_EQ(run("dpkg-deb", {"-e", deb_, control()}).exit_code, 0);
  }
  static void TearDownTestSuite() { folder_.reset(); }

  void SetUp() override {
    if (deb_.isEmpty()) GTEST_SKIP() << "the package could not be made";
  }

  static QString root() { return folder_->filePath("root"); }
  static QString control() { return folder_->filePath("control"); }
  static QString scratch(const QString& name) {
    const QString path = folder_->filePath("scratch/" + name);
    QDir().mkpath(path);
    return path;
  }

  static std::unique_ptr<QTemporaryDir> folder_;
  static QString deb_;
};

std::unique_ptr<QTemporaryDir> PackageTest::folder_;
QString PackageTest::deb_;

TEST_F(PackageTest, HoldsEveryProgramUnderANameThatCannotClashWithItsManualPage) {
  EXPECT_TRUE(QFileInfo(deb_).fileName().startsWith(kPackage + "_" PROGRAM_VERSION "_"));
  QStringList expected = kScanners + kPrefixed;
  expected.sort();
  EXPECT_EQ(QDir(root() + "/usr/bin").entryList(QDir::Files, QDir::Name), expected);
  for (const QString& program : expected) {
    SCOPED_TRACE(program.toStdString());
    EXPECT_TRUE(QFileInfo(root() + "/usr/bin/" + program).isExecutable());
    // Each says its installed name, and its manual page has it too.
    const finished_run version = run(root() + "/usr/bin/" + program, {"--version"});
    EXPECT_EQ(version.out, program + " " PROGRAM_VERSION "\n");
    const QString page = root() + "/usr/share/man/man1/" + program + ".1.gz";
    ASSERT_TRUE(QFileInfo(page).isFile());
    const finished_run shown = run("sh", {"-c", "gzip -dc \"$0\"", page});
    EXPECT_TRUE(shown.out.contains(".SH NAME\n" + program + " \\- "))
        << shown.out.left(400).toStdString();
    // A tool's usage lines name it as installed, not as built.
    if (kPrefixed.contains(program)) {
      const QString built = program.mid(QStringLiteral("dornik-").size()).replace('-', '_');
      EXPECT_FALSE(shown.out.contains(built + " ")) << shown.out.toStdString();
    }
  }
  for (const QString& file :
       {"/usr/lib/systemd/system/" + kPackage + "@.service",
        "/usr/share/icons/hicolor/scalable/apps/" + kPackage + ".svg",
        "/usr/share/doc/" + kPackage + "/README.md", "/usr/share/doc/" + kPackage + "/copyright",
        "/usr/share/doc/" + kPackage + "/changelog.gz"}) {
    EXPECT_TRUE(QFileInfo(root() + file).isFile()) << file.toStdString();
  }
}

// A dock matches a window to its menu entry by the window class (X11) or
// the application id (Wayland, the desktop file's name).
TEST_F(PackageTest, DesktopEntriesStartTheProgramsAndNameTheirWindowClass) {
  struct entry {
    QString file, exec, window_class;
  };
  const entry entries[] = {
      {kPackage,
       "/usr/bin/DORNIK_spectrum_scanner --program-folder /var/lib/" + kPackage + "/desktop",
       "DORNIK_spectrum_scanner"},
      {"dornik-language-editor", "/usr/bin/dornik-language-editor %f", "dornik-language-editor"},
  };
  for (const entry& e : entries) {
    SCOPED_TRACE(e.file.toStdString());
    const QStringList lines =
        text_of(root() + "/usr/share/applications/" + e.file + ".desktop").split('\n');
    EXPECT_TRUE(lines.contains("Exec=" + e.exec));
    EXPECT_TRUE(lines.contains("StartupWMClass=" + e.window_class));
    EXPECT_TRUE(lines.contains("Icon=" + kPackage));
  }
}

TEST_F(PackageTest, TheInstalledScannerMakesAUsableDeploymentWithInit) {
  const QString scanner = root() + "/usr/bin/DORNIK_spectrum_scanner";
  const QString line = scratch("deployments") + "/line1";
  const finished_run made = run(scanner, {"--init", line});
  EXPECT_EQ(made.exit_code, 0) << made.err.toStdString();
  const finished_run check = run(scanner, {"--check-config", "--program-folder", line});
  EXPECT_EQ(check.exit_code, 0) << check.out.toStdString() << check.err.toStdString();
  EXPECT_TRUE(check.out.contains(QRegularExpression("\nresult: +usable\n")))
      << check.out.toStdString();
}

TEST_F(PackageTest, LintianFindsNoErrorAndNoWarning) {
  if (!have("lintian")) GTEST_SKIP() << "lintian is not installed (apt-get install lintian)";
  const finished_run lint = run("lintian", {"--pedantic", deb_});
  // Informational tags (I:) do not count; errors, warnings and pedantic
  // notes do.
  const QStringList findings =
      lint.out.split('\n', Qt::SkipEmptyParts).filter(QRegularExpression("^[EWP]: "));
  EXPECT_TRUE(findings.isEmpty()) << findings.join('\n').toStdString();
  EXPECT_TRUE(lint.exit_code == 0 || !findings.isEmpty()) << lint.err.toStdString();

  // The linked libraries came from dpkg-shlibdeps, the rest was named: what
  // a fresh machine must bring, the fonts of the layout included.
  const finished_run depends = run("dpkg-deb", {"--field", deb_, "Depends"});
  for (const char* needed :
       {"libc6 (>=", "libqt6widgets6 (>=", "libqt6sql6 (>=", "libqt6sql6-odbc", "qt6-qpa-plugins",
        "libqt6svg6", "unixodbc", "fonts-liberation2", "fonts-dejavu-core", "adduser"}) {
    EXPECT_TRUE(depends.out.contains(needed)) << needed << ": " << depends.out.toStdString();
  }
}

// The unit is checked inside the unpacked root, which needs the system's
// targets that the unit and its defaults name.
TEST_F(PackageTest, TheServiceUnitIsVerifiedAndItsExposureMeasured) {
  if (!have("systemd-analyze")) {
    GTEST_SKIP() << "systemd-analyze is not installed (apt-get install systemd)";
  }
  const QString unit = root() + "/usr/lib/systemd/system/" + kPackage + "@.service";
  const QStringList unit_lines = text_of(unit).split('\n');
  for (const char* line : {"ExecStart=/usr/bin/DORNIK_spectrum_scanner --program-folder "
                           "/var/lib/dornik-spectrum-scanner/%i",
                           "User=dornik-scanner", "Restart=on-failure", "RestartPreventExitStatus=2 3",
                           "KillSignal=SIGTERM", "Type=notify", "WatchdogSec=120"}) {
    EXPECT_TRUE(unit_lines.contains(QString::fromLatin1(line))) << line;
  }

  const QDir system_units(QStringLiteral("/usr/lib/systemd/system"));
  for (const QString& target : system_units.entryList({"*.target"}, QDir::Files)) {
    QFile::copy(system_units.filePath(target), root() + "/usr/lib/systemd/system/" + target);
  }
  const QString instance = "/usr/lib/systemd/system/" + kPackage + "@line1.service";
  const finished_run verified =
      run("systemd-analyze", {"verify", "--man=no", "--root=" + root(), instance});
  EXPECT_EQ(verified.exit_code, 0) << verified.out.toStdString() << verified.err.toStdString();

  const finished_run security =
      run("systemd-analyze",
          {"security", "--offline=true", "--root=" + root(), kPackage + "@line1.service"});
  ASSERT_EQ(security.exit_code, 0) << security.err.toStdString();
  const QRegularExpressionMatch exposure =
      QRegularExpression("Overall exposure level for \\S+: ([0-9.]+)").match(security.out);
  ASSERT_TRUE(exposure.hasMatch()) << security.out.toStdString();
  // "OK" in systemd's words: the service sees little of the system.
  constexpr double kMostExposure = 4.0;
  EXPECT_LE(exposure.captured(1).toDouble(), kMostExposure) << security.out.toStdString();
}

// The maintainer scripts run in a mount namespace of their own, with a
// /run that says systemd runs, /var/lib and /etc/systemd of their own, and
// the programs they call replaced by ones that write down their arguments.
class maintainer_run {
 public:
  explicit maintainer_run(const QString& folder) : folder_(folder) {
    QDir().mkpath(folder + "/stubs");
    for (const char* program : {"deb-systemd-invoke", "systemctl", "adduser", "chown"}) {
      write_stub(QString::fromLatin1(program), "echo \"$(basename \"$0\") $*\" >>" + log());
    }
    // The service user exists when the step says so.
    write_stub("getent", "test -e " + user_marker());
  }

  // Runs `script` with `arguments`, first running `prepare` (shell) in the
  // same namespace and `afterwards` after it; returns what the stubs wrote
  // down after the output of both.
  finished_run operator()(const QString& script, const QStringList& arguments, bool user_exists,
                          const QString& prepare = "true", const QString& afterwards = "true") {
    QFile::remove(log());
    QFile::remove(user_marker());
    if (user_exists) QFile(user_marker()).open(QIODevice::WriteOnly);
    const QString shell =
        "set -e; mount -t tmpfs tmpfs /run; mkdir -p /run/systemd/system; "
        "mount -t tmpfs tmpfs /var/lib; mkdir -p /etc/systemd/system; "
        "mount -t tmpfs tmpfs /etc/systemd/system; " +
        prepare + "; PATH=\"" + folder_ + "/stubs:$PATH\" sh \"$0\" \"$@\"; " + afterwards;
    finished_run done = run("unshare", QStringList{"-m", "sh", "-c", shell, script} + arguments);
    done.out += QString::fromUtf8(read_log());
    return done;
  }

 private:
  QString log() const { return folder_ + "/calls.log"; }
  QString user_marker() const { return folder_ + "/user_exists"; }
  QByteArray read_log() const {
    QFile file(log());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  void write_stub(const QString& name, const QString& body) const {
    const QString path = folder_ + "/stubs/" + name;
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(("#!/bin/sh\n" + body + "\n").toUtf8());
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }

  QString folder_;
};

TEST_F(PackageTest, MaintainerScriptsStopTheServicesOnRemovalAndRestartThemAfterAnUpgrade) {
  if (run("unshare", {"-m", "true"}).exit_code != 0) {
    GTEST_SKIP() << "no mount namespace here (unshare -m needs root)";
  }
  maintainer_run scripts(scratch("maintainer"));
  const QString stop = "deb-systemd-invoke stop " + kPackage + "@*.service";
  const QString restart = "deb-systemd-invoke try-restart " + kPackage + "@*.service";
  const QString prerm = control() + "/prerm", postinst = control() + "/postinst",
                postrm = control() + "/postrm";
  const QString adduser = "adduser --system --group --home /var/lib/" + kPackage;
  struct step {
    const char* what;
    QString script;
    QStringList arguments;
    bool user_exists;
    QStringList called, not_called;
  };
  const step steps[] = {
      {"removal stops every instance", prerm, {"remove"}, true, {stop}, {}},
      {"an upgrade leaves them running until the new postinst",
       prerm,
       {"upgrade", "3.99.2"},
       true,
       {},
       {stop}},
      {"the first installation makes the user and restarts nothing",
       postinst,
       {"configure", ""},
       false,
       {adduser, "systemctl --system daemon-reload"},
       {restart}},
      {"an upgrade restarts the running instances",
       postinst,
       {"configure", "3.99.0"},
       true,
       {restart},
       {stop, adduser}},
  };
  for (const step& s : steps) {
    SCOPED_TRACE(s.what);
    const finished_run ran = scripts(s.script, s.arguments, s.user_exists);
    EXPECT_EQ(ran.exit_code, 0) << ran.err.toStdString();
    for (const QString& call : s.called) {
      EXPECT_TRUE(ran.out.contains(call)) << call.toStdString() << "\n" << ran.out.toStdString();
    }
    for (const QString& call : s.not_called) {
      EXPECT_FALSE(ran.out.contains(call)) << call.toStdString() << "\n" << ran.out.toStdString();
    }
  }

  // The desktop entry's program folder is there, the group's to write.
  const QString desktop = "/var/lib/" + kPackage + "/desktop";
  const finished_run installed =
      scripts(postinst, {"configure", ""}, false, "true", "stat -c '%a' " + desktop);
  EXPECT_EQ(installed.exit_code, 0) << installed.err.toStdString();
  EXPECT_TRUE(installed.out.startsWith("2775\n")) << installed.out.toStdString();
  EXPECT_TRUE(installed.out.contains("chown dornik-scanner:dornik-scanner " + desktop))
      << installed.out.toStdString();

  // Purge keeps the deployments and removes only the links that enabled
  // instances of the unit that is gone.
  const QString wants = "/etc/systemd/system/multi-user.target.wants/";
  const finished_run purged =
      scripts(postrm, {"purge"}, true,
              "mkdir -p /var/lib/" + kPackage + "/line1 " + wants +
                  "; ln -s /usr/lib/systemd/system/" + kPackage + "@.service " + wants + kPackage +
                  "@line1.service; ln -s /dev/null " + wants + "other.service",
              "ls /var/lib/" + kPackage + "; ls " + wants);
  EXPECT_EQ(purged.exit_code, 0) << purged.err.toStdString();
  EXPECT_TRUE(purged.out.contains("line1\n")) << purged.out.toStdString();
  EXPECT_TRUE(purged.out.contains("other.service\n")) << purged.out.toStdString();
  EXPECT_FALSE(purged.out.contains(kPackage + "@line1.service")) << purged.out.toStdString();
}

// What the package adds beyond these files is its maintainer scripts' work
// (README.md, "Install on a line PC").
TEST_F(PackageTest, CmakeInstallPutsTheSameFilesAsThePackage) {
  const QString installed = scratch("installed");
  const finished_run install =
      run(QStringLiteral(CMAKE_COMMAND),
          {"--install", QStringLiteral(BUILD_DIR), "--prefix", "/usr", "--strip"},
          {"DESTDIR=" + installed});
  ASSERT_EQ(install.exit_code, 0) << install.out.toStdString() << install.err.toStdString();
  const QMap<QString, QByteArray> by_cmake = files_below(installed);
  const QMap<QString, QByteArray> by_package = files_below(root());
  QStringList package_files = by_package.keys();
  // The unit test above added the system's targets to the unpacked root.
  package_files.removeIf([](const QString& name) { return name.endsWith(".target"); });
  EXPECT_EQ(by_cmake.keys(), package_files);
  for (const QString& name : by_cmake.keys()) {
    EXPECT_TRUE(by_cmake.value(name) == by_package.value(name)) << name.toStdString();
  }
}

}  // namespace
