// What --check-config asks of each scanner program's deployment: a
// deployment made by --init, in-process, then broken one way at a time. A
// FaultEnv refuses what root may always do.

#include <QDir>
#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>

#include "basics/sprachen.h"
#include "program/check_config.h"
#include "program/new_deployment.h"
#include "support/fault_env.h"
#include "support/temp_tree.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

using program::deployment_kind;

// A new deployment of `kind` in the program folder "line" of a temporary
// tree, as --init makes it.
struct deployment_site {
  explicit deployment_site(deployment_kind kind) : kind(kind), use(&fault) {
    fault.set_program_file_path(tree.path("line/scanner"));
    made = program::make_new_deployment(kind, "scanner") == 0;
  }
  // A path in the deployment, "/" between its parts.
  QString path(const QString& relative) const { return tree.path("line/" + relative); }
  QString measurement(const QString& product, const QString& name) const {
    return path("vellic/database/products/" + product + "/measurements/" + name + "/new");
  }
  void remove(const QString& relative) const {
    const QString full = path(relative);
    if (!QFile::remove(full)) QDir(full).removeRecursively();
  }
  // Replaces line `index` of a settings file read by line number.
  void set_setting_line(const QString& relative, int index, const QByteArray& value) const {
    QFile file(path(relative));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = file.readAll().split('\n');
    file.close();
    lines[index] = value + "\r";
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(lines.join('\n'));
  }
  void check() { report = program::configuration_report(&usable, kind); }
  // The last report line of `item` ("" when there is none).
  QString line(const QString& item) const {
    QString found;
    for (const QString& text : report.split('\n')) {
      if (text.startsWith(item + ":")) found = text;
    }
    return found;
  }
  QStringList warnings() const {
    QStringList found;
    for (const QString& text : report.split('\n')) {
      if (text.startsWith("warning: ")) found << text;
    }
    return found;
  }

  deployment_kind kind;
  test_support::temp_tree tree;
  platform::FaultEnv fault;
  platform::ScopedEnv use;
  bool made = false;
  QString report;
  bool usable = false;
};

const deployment_kind kEveryKind[] = {deployment_kind::dornik, deployment_kind::halvik,
                                      deployment_kind::selmar, deployment_kind::tulmen,
                                      deployment_kind::dat_moves};

std::string kind_name(deployment_kind kind) {
  switch (kind) {
    case deployment_kind::dornik:
      return "DORNIK";
    case deployment_kind::halvik:
      return "Halvik";
    case deployment_kind::selmar:
      return "SELMAR";
    case deployment_kind::tulmen:
      return "TULMEN";
    case deployment_kind::dat_moves:
      return "VELLIC";
  }
  return {};
}

TEST(CheckConfigNeedsTest, EachProgramReportsWhatItUsesAndNothingElse) {
  struct expected {
    deployment_kind kind;
    QStringList items;
    QStringList absent;
  };
  const QStringList halvik_family{"exsitu input folder",
                                  "exsitu measurement folder",
                                  "insitu input folder",
                                  "archive folder",
                                  "settings file traverse_point_selection.txt",
                                  "settings file vellic.ini"};
  const expected cases[] = {
      {deployment_kind::dornik,
       halvik_family +
           QStringList{"probe heads table", "probe head \"Probe head 1\" -> LUMOR_INLINE"},
       {"insitu measurement folder", "inline input folder",
        "settings file vellic_postbake_path.ini"}},
      {deployment_kind::halvik,
       halvik_family + QStringList{"insitu measurement folder"},
       {"probe heads table", "inline input folder"}},
      {deployment_kind::selmar,
       {"Zeiss input folder", "measurement folder", "archive folder",
        "settings file selmar_spectrum_scanner.ini", "inline input folder",
        "current product folder", "inline channel 0 -> LUMOR2", "inline channel 4 -> LUMOR1",
        "settings file vellic_postbake_path.ini", "postbake VELLIC base folder",
        "postbake current product", "postbake measurement folder", "postbake archive folder"},
       {"insitu input folder", "probe heads table", "settings file traverse_point_selection.txt"}},
      {deployment_kind::tulmen,
       {"input folder", "measurement folder", "archive folder"},
       {"settings file vellic.ini", "insitu input folder", "probe heads table",
        "settings file traverse_point_selection.txt", "inline input folder",
        "current product folder", "measurement folder of SiO2 production"}},
      {deployment_kind::dat_moves,
       {"input folder", "measurement folder"},
       {"archive folder", "settings file vellic.ini", "insitu input folder",
        "settings file traverse_point_selection.txt"}},
  };
  for (const expected& e : cases) {
    SCOPED_TRACE(kind_name(e.kind));
    deployment_site site(e.kind);
    ASSERT_TRUE(site.made);
    site.check();
    EXPECT_TRUE(site.usable) << site.report.toStdString();
    EXPECT_TRUE(site.warnings().isEmpty()) << site.report.toStdString();
    for (const QString& item : e.items) {
      EXPECT_FALSE(site.line(item).isEmpty()) << item.toStdString() << "\n"
                                              << site.report.toStdString();
    }
    for (const QString& item : e.absent) {
      EXPECT_TRUE(site.line(item).isEmpty()) << item.toStdString() << "\n"
                                             << site.report.toStdString();
    }
  }
}

// Each case breaks one thing the program needs; the report names it on the
// item's line and finds the deployment unusable.
TEST(CheckConfigNeedsTest, WhatAProgramNeedsAndLacksMakesItUnusable) {
  struct broken {
    const char* what;
    deployment_kind kind;
    std::function<void(deployment_site&)> break_it;
    QString item;
    QString says;  // the end of the item's line
  };
  const auto write_table = [](deployment_site& s, const basics::sprachen& table) {
    table.save_to_file(s.path("DORNIK_probeheads.bin"));
  };
  const broken cases[] = {
      {"no probe heads table", deployment_kind::dornik,
       [](deployment_site& s) { s.remove("DORNIK_probeheads.bin"); }, "probe heads table",
       "[MISSING]"},
      {"a probe heads table without rows", deployment_kind::dornik,
       [&](deployment_site& s) { write_table(s, basics::sprachen()); }, "probe heads table",
       "every insitu file would be set aside  [ERROR]"},
      {"a probe heads table of garbage", deployment_kind::dornik,
       [](deployment_site& s) { s.tree.write("line/DORNIK_probeheads.bin", "garbage"); },
       "probe heads table", "every insitu file would be set aside  [ERROR]"},
      {"two current products", deployment_kind::dornik,
       [](deployment_site& s) { s.tree.write("line/vellic/database/current_product/Other", {}); },
       "current product", "it must hold one  [ERROR]"},
      {"no current product", deployment_kind::halvik,
       [](deployment_site& s) { s.remove("vellic/database/current_product/Production"); },
       "current product", "holds no file  [ERROR]"},
      {"Halvik's insitu measurement folder is gone", deployment_kind::halvik,
       [](deployment_site& s) {
         s.remove("vellic/database/products/Production/measurements/LUMOR_INLINE");
       },
       "insitu measurement folder", "[MISSING]"},
      {"SELMAR's settings in the VELLIC base folder are gone", deployment_kind::selmar,
       [](deployment_site& s) { s.remove("vellic/selmar_spectrum_scanner.ini"); },
       "settings file selmar_spectrum_scanner.ini", "[MISSING]"},
      {"SELMAR's inline input folder is gone", deployment_kind::selmar,
       [](deployment_site& s) { s.remove("input/inline"); }, "inline input folder", "[MISSING]"},
      {"an inline channel's measurement folder is gone", deployment_kind::selmar,
       [](deployment_site& s) {
         s.remove("vellic/database/products/Production/measurements/LUMOR1");
       },
       "inline channel 4 -> LUMOR1", "[MISSING]"},
      {"SELMAR's postbake measurement folder is gone", deployment_kind::selmar,
       [](deployment_site& s) { s.remove("postbake/database/products/Postbake"); },
       "postbake measurement folder", "[MISSING]"},
      {"TULMEN's product identification without the SiO2 product", deployment_kind::tulmen,
       [](deployment_site& s) { s.set_setting_line("vellic_scanner.ini", 2, "True"); },
       "measurement folder of SiO2 production", "[MISSING]"},
      {"the TULMEN input folder is a file", deployment_kind::tulmen,
       [](deployment_site& s) {
         s.remove("input/tulmen");
         s.tree.write("line/input/tulmen", "a file");
       },
       "input folder", "[MISSING]"},
  };
  for (const broken& b : cases) {
    SCOPED_TRACE(b.what);
    deployment_site site(b.kind);
    ASSERT_TRUE(site.made);
    b.break_it(site);
    site.check();
    EXPECT_FALSE(site.usable) << site.report.toStdString();
    EXPECT_TRUE(site.line(b.item).endsWith(b.says)) << site.report.toStdString();
  }
}

// The scanner deletes its inputs after conversion: without an archive they
// are gone for good, which the administrator must have chosen knowingly.
TEST(CheckConfigNeedsTest, AMissingArchiveIsAWarningForEveryProgramThatArchives) {
  struct archive_case {
    deployment_kind kind;
    QString archive;
    QString item;
  };
  const archive_case cases[] = {
      {deployment_kind::dornik, "vellic/archive", "archive folder"},
      {deployment_kind::halvik, "vellic/archive", "archive folder"},
      {deployment_kind::tulmen, "vellic/archive", "archive folder"},
      {deployment_kind::selmar, "vellic/archive", "archive folder"},
      {deployment_kind::selmar, "postbake/archive", "postbake archive folder"},
  };
  for (const archive_case& c : cases) {
    SCOPED_TRACE(kind_name(c.kind) + " " + c.archive.toStdString());
    deployment_site site(c.kind);
    ASSERT_TRUE(site.made);
    site.remove(c.archive);
    site.check();
    EXPECT_TRUE(site.usable) << site.report.toStdString();
    EXPECT_EQ(
        site.warnings(),
        QStringList{"warning: The " + c.item + " " + site.path(c.archive) + QDir::separator() +
                    " is missing: input files are deleted after conversion without an "
                    "archive copy."})
        << site.report.toStdString();
  }
}

TEST(CheckConfigNeedsTest, ARefusedSettingIsAWarning) {
  deployment_site site(deployment_kind::tulmen);
  ASSERT_TRUE(site.made);
  site.set_setting_line("vellic_scanner.ini", 3, "9");
  site.check();
  EXPECT_TRUE(site.usable) << site.report.toStdString();
  ASSERT_EQ(site.warnings().size(), 1) << site.report.toStdString();
  EXPECT_TRUE(site.warnings()[0].startsWith(
      "warning: refused setting: vellic_scanner.ini: no_scan_files \"9\" is out of range"))
      << site.report.toStdString();
}

// Read with the flags left as they were: every point converted, which the
// operator did not choose.
TEST(CheckConfigNeedsTest, APointSelectionThatCannotBeReadIsAWarning) {
  for (const deployment_kind kind : {deployment_kind::dornik, deployment_kind::halvik}) {
    SCOPED_TRACE(kind_name(kind));
    deployment_site site(kind);
    ASSERT_TRUE(site.made);
    site.remove("traverse_point_selection.txt");
    site.tree.make_folder("line/traverse_point_selection.txt");
    site.check();
    EXPECT_TRUE(site.usable) << site.report.toStdString();
    EXPECT_EQ(site.warnings(),
              QStringList{"warning: The point selection file " +
                          site.path("traverse_point_selection.txt") +
                          " cannot be read (it is a folder); every traverse point is converted."})
        << site.report.toStdString();
  }
}

// Each folder the scanner writes into, refused to the running user.
TEST(CheckConfigNeedsTest, AFolderTheUserCannotWriteIntoIsAnError) {
  struct refused {
    deployment_kind kind;
    QString folder;
    QString item;
  };
  const refused cases[] = {
      {deployment_kind::dornik, "input/exsitu", "exsitu input folder"},
      {deployment_kind::dornik, "input/insitu", "insitu input folder"},
      {deployment_kind::dornik, "measurements/LUMOR_TRAVERSE", "exsitu measurement folder"},
      {deployment_kind::dornik, "measurements/LUMOR_INLINE",
       "probe head \"Probe head 1\" -> LUMOR_INLINE"},
      {deployment_kind::dornik, "vellic/archive", "archive folder"},
      {deployment_kind::halvik, "measurements/LUMOR_INLINE", "insitu measurement folder"},
      {deployment_kind::selmar, "input/inline", "inline input folder"},
      {deployment_kind::selmar, "postbake/archive", "postbake archive folder"},
      {deployment_kind::selmar, "vellic/database/current_product", "current product folder"},
      {deployment_kind::dat_moves, "input/dat", "input folder"},
  };
  for (const refused& r : cases) {
    SCOPED_TRACE(kind_name(r.kind) + " " + r.folder.toStdString());
    deployment_site site(r.kind);
    ASSERT_TRUE(site.made);
    site.fault.deny_write_in(QDir::toNativeSeparators(r.folder));
    site.check();
    EXPECT_FALSE(site.usable) << site.report.toStdString();
    const QString shown = site.line(r.item);
    EXPECT_TRUE(shown.contains("Permission denied")) << site.report.toStdString();
    EXPECT_TRUE(shown.endsWith("[ERROR]")) << site.report.toStdString();
  }
}

TEST(CheckConfigNeedsTest, AnInputFolderTheUserCannotListIsAnError) {
  deployment_site site(deployment_kind::halvik);
  ASSERT_TRUE(site.made);
  site.fault.refuse_list(QDir::toNativeSeparators("input/exsitu"));
  site.check();
  EXPECT_FALSE(site.usable);
  const QString shown = site.line("exsitu input folder");
  EXPECT_TRUE(shown.contains("Cannot list")) << shown.toStdString();
  EXPECT_TRUE(shown.endsWith("[ERROR]")) << shown.toStdString();
}

#ifndef _WIN32
// The same with the system's own permissions, which bind everyone but root.
TEST(CheckConfigNeedsTest, AnInputFolderWithoutWritePermissionIsAnError) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write into any folder";
  deployment_site site(deployment_kind::dornik);
  ASSERT_TRUE(site.made);
  const QString folder = site.path("input/exsitu");
  ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
  site.check();
  ASSERT_TRUE(
      QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
  EXPECT_FALSE(site.usable);
  EXPECT_TRUE(site.line("exsitu input folder").endsWith("Permission denied  [ERROR]"))
      << site.report.toStdString();
}
#endif

}  // namespace
