// The folder and name fields count once editing ends (Enter, or the focus
// leaving the field), never at each keystroke; a folder that does not exist
// is shown as such and not scanned.

#include <QDir>
#include <QLineEdit>
#include <QPalette>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "scanner/tulmen_scanner_main_unit.h"
#include "scanner_site.h"
#include "support/file_lines.h"

namespace {

using test_support::scanner_site;

const QString kScannerIni = QStringLiteral("vellic_scanner.ini");

// The VELLIC tree with an archive, the exsitu folder "in" and the insitu
// folder "insitu"; "data" holds a file of its own and the folder "input".
struct typing_site : scanner_site {
  typing_site() {
    make_vellic_tree();
    tree.make_folder("v/archive");
    tree.make_folder("insitu");
    tree.make_folder("data/input");
    write_program_file(kScannerIni,
                       {path("in"), "L", "", "", "", "", "Insitu input path", path("insitu")});
  }
};

// Types `text` into `field` one character at a time, as the operator does,
// with a scan step after each keystroke.
void type_with_ticks(TVELLIC_spectrum_scanner& window, QLineEdit* field, const QString& text) {
  field->selectAll();
  QTest::keyClick(field, Qt::Key_Delete);
  window.Timer1Timer();
  for (const QChar c : text) {
    QTest::keyClicks(field, QString(c));
    window.Timer1Timer();
  }
}

bool shown_as_missing(const QLineEdit* field) {
  return field->palette().color(QPalette::Text) == QColor(Qt::red) &&
         field->toolTip().contains(QStringLiteral("does not exist"));
}

struct field_case {
  const char* name;
  std::function<std::unique_ptr<TVELLIC_spectrum_scanner>(scanner_site&)> make_window;
  std::function<QLineEdit*(TVELLIC_spectrum_scanner&)> field;
  // The folder the window's scan takes from that field.
  std::function<QString(TVELLIC_spectrum_scanner&)> scanned;
  const char* extension;
};

template <class Window>
std::unique_ptr<TVELLIC_spectrum_scanner> make(scanner_site& site) {
  return site.create_window<Window>();
}

QLineEdit* exsitu_field(TVELLIC_spectrum_scanner& window) {
  return window.input_path_editor;
}
QString exsitu_folder(TVELLIC_spectrum_scanner& window) {
  return window.input_path;
}
QLineEdit* insitu_field(TVELLIC_spectrum_scanner& window) {
  return static_cast<THalvik_scanner_main&>(window).insitu_path_editor;
}
QString insitu_folder(TVELLIC_spectrum_scanner& window) {
  return window.insitu_input_path;
}

const QList<field_case>& field_cases() {
  static const QList<field_case> cases = {
      {"main window, exsitu", make<TDORNIK_scanner_main>, exsitu_field, exsitu_folder, ".csv"},
      {"main window, insitu", make<TDORNIK_scanner_main>, insitu_field, insitu_folder, ".csv"},
      {"Halvik, insitu", make<THalvik_scanner_main>, insitu_field, insitu_folder, ".csv"},
      {"SELMAR", make<TSELMAR_spectrum_scanner_main>, exsitu_field, exsitu_folder, ".csv"},
      {"TULMEN", make<TTULMEN_scanner_main>, exsitu_field, exsitu_folder, ".csv"},
      {"VELLIC", make<TVELLIC_spectrum_scanner>, exsitu_field, exsitu_folder, ".dat"},
  };
  return cases;
}

// Typing ".../data/input" passes through ".../data": a file there must not
// be claimed, and the new folder is scanned only once the field is left
// with Enter.
TEST(PathFieldsTest, AFolderIsScannedOnlyOnceItsFieldIsLeft) {
  for (const field_case& c : field_cases()) {
    SCOPED_TRACE(c.name);
    typing_site site;
    const QString ext = QString::fromLatin1(c.extension);
    site.tree.write("data/x" + ext, "x");
    site.tree.write("data/input/y" + ext, "y");
    auto window = c.make_window(site);
    QLineEdit* field = c.field(*window);
    const QString before = c.scanned(*window);

    type_with_ticks(*window, field, site.path("data/input"));
    EXPECT_EQ(c.scanned(*window), before);
    EXPECT_TRUE(site.tree.exists("data/input/y" + ext));

    QTest::keyClick(field, Qt::Key_Return);
    window->Timer1Timer();
    EXPECT_EQ(c.scanned(*window), site.folder("data/input"));
    EXPECT_FALSE(site.tree.exists("data/input/y" + ext)) << "the applied folder is scanned";
    // The folder on the way was never touched.
    EXPECT_EQ(QDir(site.path("data")).entryList(QDir::Files | QDir::Hidden),
              QStringList{"x" + ext});
    EXPECT_EQ(site.tree.read("data/x" + ext), "x");
    EXPECT_TRUE(site.prompts.texts().isEmpty()) << site.prompts.texts().join('|').toStdString();
  }
}

TEST(PathFieldsTest, AFolderThatDoesNotExistIsShownAndNotScanned) {
  for (const field_case& c : field_cases()) {
    SCOPED_TRACE(c.name);
    typing_site site;
    auto window = c.make_window(site);
    QLineEdit* field = c.field(*window);
    EXPECT_FALSE(shown_as_missing(field));

    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("/nowhere"));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_TRUE(shown_as_missing(field)) << field->toolTip().toStdString();
    window->Timer1Timer();
    EXPECT_TRUE(shown_as_missing(field));
    EXPECT_TRUE(site.prompts.texts().isEmpty()) << site.prompts.texts().join('|').toStdString();

    // Once there, it is scanned and shown as any other folder.
    const QString there = site.path("later");
    field->selectAll();
    QTest::keyClicks(field, there);
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_TRUE(shown_as_missing(field));
    site.tree.write("later/z" + QString::fromLatin1(c.extension), "z");
    window->Timer1Timer();
    EXPECT_FALSE(shown_as_missing(field));
    EXPECT_EQ(field->toolTip(), QString());
    EXPECT_FALSE(site.tree.exists("later/z" + QString::fromLatin1(c.extension)));
  }
}

TEST(PathFieldsTest, LeavingTheFieldForAnotherAppliesItToo) {
  typing_site site;
  auto window = site.create_window();
  window->show();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  window->input_path_editor->setFocus();
  window->input_path_editor->selectAll();
  QTest::keyClicks(window->input_path_editor, site.path("data/input"));
  window->compose_total_output_path();
  EXPECT_EQ(window->input_path, site.folder("in"));

  window->output_path_editor->setFocus();
  window->compose_total_output_path();
  EXPECT_EQ(window->input_path, site.folder("data/input"));
}

// The close writes what the scan used, not what is half typed.
TEST(PathFieldsTest, TheSettingsWrittenAtCloseAreTheAppliedValues) {
  typing_site site;
  auto window = site.create_window();
  window->input_path_editor->selectAll();
  QTest::keyClicks(window->input_path_editor, site.path("data/input"));
  QTest::keyClick(window->input_path_editor, Qt::Key_Return);
  QTest::keyClicks(window->input_path_editor, QStringLiteral("/more"));
  window->output_path_editor->selectAll();
  QTest::keyClicks(window->output_path_editor, QStringLiteral("L2"));
  window->insitu_path_editor->selectAll();
  QTest::keyClicks(window->insitu_path_editor, QStringLiteral("/half"));
  window->close();

  const QStringList written = test_support::crlf_lines(site.program_file_bytes(kScannerIni));
  ASSERT_EQ(written.size(), 12);
  EXPECT_EQ(written[0], site.path("data/input"));
  EXPECT_EQ(written[1], QStringLiteral("L"));
  EXPECT_EQ(written[7], site.folder("insitu"));
}

}  // namespace
