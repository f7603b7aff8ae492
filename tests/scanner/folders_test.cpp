// The current product, the output folders, the product change and the
// archive folder.

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "scanner_site.h"

namespace {

using test_support::scanner_site;

QStringList current_product_folder(const scanner_site& site) {
  return QDir(site.path("v/database/current_product")).entryList(QDir::Files);
}

TEST(FoldersTest, TheProductIsTheFirstFileNeverAFolder) {
  scanner_site site;
  site.make_vellic_tree(QStringLiteral("beta"));
  site.tree.write("v/database/current_product/Alpha", {});
  site.tree.make_folder("v/database/current_product/aaa");
  auto window = site.create_window();
  EXPECT_EQ(window->product, QStringLiteral("Alpha"));
  EXPECT_EQ(window->product_label->text(), QStringLiteral("Alpha"));
}

TEST(FoldersTest, EditedFieldsAndTheProductAreTakenAtEveryComposition) {
  scanner_site site;
  site.make_vellic_tree(QStringLiteral("P"));
  auto window = site.create_window();

  for (const auto& [field, text] : {std::pair{window->input_path_editor, site.path("typed/in")},
                                    std::pair{window->output_path_editor, QStringLiteral("L2")}}) {
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
  }
  QFile::rename(site.path("v/database/current_product/P"),
                site.path("v/database/current_product/Q"));
  window->compose_total_output_path();

  EXPECT_EQ(window->input_path, site.folder("typed/in"));
  EXPECT_EQ(window->lumor_name, QStringLiteral("L2"));
  EXPECT_EQ(window->product, QStringLiteral("Q"));
  EXPECT_EQ(window->total_output_path, site.path("v/database/products/Q/measurements/L2/new"));
  EXPECT_EQ(window->total_output_path_label->text(), window->total_output_path);
}

TEST(FoldersTest, WithoutACurrentProductThePathHasAnEmptyProductPart) {
  scanner_site site;
  site.write_program_file("vellic_path.ini", {site.path("v")});
  site.write_program_file("vellic_scanner.ini", {"", "L"});
  auto window = site.create_window();
  EXPECT_EQ(window->product, QString());
  EXPECT_EQ(window->total_output_path,
            site.folder("v") + QDir::toNativeSeparators("database/products//measurements/L/new"));
}

// A current-product folder that cannot be listed hides the product: the
// files wait in their input folder, and the operator hears once when the
// folder turns unreadable and once when it is readable again, not at every
// tick.
TEST(FoldersTest, AnUnreadableCurrentProductFolderIsReportedOncePerChange) {
  scanner_site site;
  site.make_vellic_tree(QStringLiteral("P"));
  site.tree.write("in/waiting.csv", "x\r\n");
  auto window = site.create_window();
  QStringList status;
  QObject::connect(window.get(), &TVELLIC_spectrum_scanner::action_shown,
                   [&status](const QString&, const QString& text) { status << text; });
  const QString folder = site.path("v/database/current_product");

  site.fault.refuse_list(QStringLiteral("current_product"));
  for (int tick = 0; tick < 3; ++tick) window->timer_action();
  const QString unreadable = "Error: The current product folder " + folder +
                             " cannot be read; no measurement goes into this VELLIC system "
                             "until it can.";
  EXPECT_EQ(test_support::lines_of(window->messages->toPlainText()), QStringList{unreadable});
  EXPECT_EQ(status.count(unreadable), 1) << status.join('|').toStdString();
  EXPECT_EQ(window->product, QString());
  EXPECT_TRUE(site.tree.exists("in/waiting.csv"));
  EXPECT_TRUE(window->Timer1->isActive());

  site.fault.clear_faults();
  for (int tick = 0; tick < 2; ++tick) window->compose_total_output_path();
  const QString readable = "The current product folder " + folder + " can be read again.";
  EXPECT_EQ(test_support::lines_of(window->messages->toPlainText()),
            (QStringList{unreadable, readable}));
  EXPECT_EQ(window->product, QStringLiteral("P"));
}

// The windows without a message board say it on the status line.
TEST(FoldersTest, WithoutABoardTheUnreadableProductFolderGoesToTheStatusLine) {
  scanner_site site;
  site.make_vellic_tree(QStringLiteral("P"));
  auto window = site.create_window<TVELLIC_spectrum_scanner>();
  site.fault.refuse_list(QStringLiteral("current_product"));
  window->timer_action();
  EXPECT_TRUE(window->action_label->text().endsWith(
      "Error: The current product folder " + site.path("v/database/current_product") +
      " cannot be read; no measurement goes into this VELLIC system until it can."))
      << window->action_label->text().toStdString();
}

TEST(FoldersTest, TheBaseProductChangeRenamesTheCurrentProductFile) {
  scanner_site site;
  site.make_vellic_tree(QStringLiteral("Production"));
  auto window = site.create_window<TVELLIC_spectrum_scanner>();
  window->product = QStringLiteral("Maintenance");
  window->set_new_product();
  EXPECT_EQ(current_product_folder(site), QStringList{"Maintenance"});
}

TEST(FoldersTest, TheSelmarProductChangeWaitsWhileAPostbakeSampleIsConverted) {
  struct mode_case {
    int postbake_mode;
    const char* expected;
  };
  for (const mode_case c :
       {mode_case{-1, "Maintenance"}, mode_case{0, "Production"}, mode_case{2, "Production"}}) {
    SCOPED_TRACE(c.postbake_mode);
    scanner_site site;
    site.make_vellic_tree(QStringLiteral("Production"));
    auto window = site.create_window();
    window->postbake_mode = c.postbake_mode;
    window->product = QStringLiteral("Maintenance");
    window->set_new_product();
    EXPECT_EQ(current_product_folder(site), QStringList{c.expected});
  }
}

TEST(FoldersTest, AProductChangeWithoutACurrentProductFileChangesNothing) {
  scanner_site site;
  site.make_vellic_tree(QStringLiteral("P"));
  auto window = site.create_window();
  QFile::remove(site.path("v/database/current_product/P"));
  window->postbake_mode = -1;
  window->product = QStringLiteral("Q");
  window->set_new_product();
  EXPECT_TRUE(current_product_folder(site).isEmpty());
  EXPECT_TRUE(QDir(site.path("v/database/current_product")).exists());
}

TEST(FoldersTest, NewNameCutsTheLastFourCharacters) {
  scanner_site site;
  auto window = site.create_window();
  EXPECT_EQ(window->new_name("a.dat"), QStringLiteral("a___R.dat"));
  EXPECT_EQ(window->new_name("x.dat.dat"), QStringLiteral("x.dat___R.dat"));
  EXPECT_EQ(window->new_name("ab"), QStringLiteral("___R.dat"));
}

TEST(FoldersTest, TheArchiveFolderPrefersTheExternalOne) {
  struct archive_case {
    const char* name;
    const char* external;
    bool vellic_archive;
    QString expected;  // relative to the site unless absolute
  };
  const QList<archive_case> cases = {
      {"external wins", "/arch/", true, "/arch/"},
      {"the VELLIC archive", "", true, "v/archive/"},
      {"nothing to archive into", "", false, ""},
  };
  for (const archive_case& c : cases) {
    SCOPED_TRACE(c.name);
    scanner_site site;
    site.make_vellic_tree();
    if (c.vellic_archive) site.tree.make_folder("v/archive");
    auto window = site.create_window();
    window->external_archive_directory = QString::fromLatin1(c.external);
    const QString expected = c.expected.startsWith('/') || c.expected.isEmpty()
                                 ? c.expected
                                 : site.folder(c.expected.chopped(1));
    EXPECT_EQ(window->compute_archive_path(), expected);
  }
}

}  // namespace
