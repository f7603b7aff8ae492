// Folders and files the scanner finds but cannot use: an input folder it
// cannot list or claim files in, a postbake archive that is gone, a point
// selection it cannot read. Each is said where a headless scanner's journal
// carries it, once, not at every tick. A FaultEnv refuses what root may do.

#include <QDir>
#include <QList>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include "basics/text_file.h"
#include "scanner/selmar_spectrum_scanner_Unit.h"
#include "scanner_site.h"
#include "support/exsitu_file.h"

namespace {

using scanner::lamp_colour;
using test_support::scanner_site;

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 7, 9));

// A complete DORNIK deployment with the exsitu input folder "in".
struct trouble_site : scanner_site {
  trouble_site() {
    make_vellic_tree();
    tree.make_folder("v/archive");
    fault.set_now(kNow);
  }
  QString drop(const QString& name) {
    const QString file = path("in/" + name);
    basics::write_lines(file, test_support::exsitu_lines(test_support::plate_with(3, "77")));
    EXPECT_TRUE(fault.set_last_modified(file, kNow.addSecs(-60)).ok());
    return file;
  }
};

// What the panel's timer and the scan timer do each second.
void tick(TVELLIC_spectrum_scanner& window) {
  window.timer_action();
  window.refresh_operator_view();
}

TEST(FolderTroubleTest, AnInputFolderTheUserCannotUseTurnsTheLampAmberWithTheReason) {
  const struct {
    const char* name;
    std::function<void(trouble_site&)> refuse;
    QString says;
  } cases[] = {
      {"cannot be listed", [](trouble_site& s) { s.fault.refuse_list(s.path("in")); },
       " cannot be read (Permission denied)."},
      {"cannot be written into", [](trouble_site& s) { s.fault.deny_write_in(s.path("in")); },
       " cannot be written into (Permission denied)."},
      {"files cannot be renamed",
       [](trouble_site& s) {
         s.drop("a.csv");
         s.fault.deny_rename("a.csv");
       },
       " holds files that cannot be renamed (Permission denied)."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    trouble_site site;
    auto window = site.create_window();
    ASSERT_EQ(window->current_lamp().colour, lamp_colour::green);
    c.refuse(site);
    tick(*window);
    EXPECT_EQ(window->current_lamp().colour, lamp_colour::amber);
    EXPECT_EQ(window->current_lamp().text, "Exsitu input folder " + site.folder("in") + c.says);

    site.fault.clear_faults();
    tick(*window);
    tick(*window);
    EXPECT_EQ(window->current_lamp().colour, lamp_colour::green)
        << window->current_lamp().text.toStdString();
  }
}

// The journal writes a line at each change of the lamp: a refusal that
// lasts is one line, not one a second.
TEST(FolderTroubleTest, ALastingRefusalChangesTheLampOnce) {
  trouble_site site;
  auto window = site.create_window();
  QList<scanner::lamp> changes;
  QObject::connect(window.get(), &TVELLIC_spectrum_scanner::lamp_changed,
                   [&changes](const scanner::lamp& lamp) { changes << lamp; });
  site.drop("a.csv");
  site.fault.deny_rename("a.csv");
  for (int second = 0; second < 5; ++second) {
    tick(*window);
    // The panel looks again within a step too.
    window->refresh_operator_view();
  }
  ASSERT_EQ(changes.size(), 1);
  EXPECT_EQ(changes[0].colour, lamp_colour::amber);
  EXPECT_TRUE(site.tree.exists("in/a.csv"));

  site.fault.clear_faults();
  tick(*window);
  tick(*window);
  EXPECT_EQ(changes.size(), 2);
  EXPECT_FALSE(site.tree.exists("in/a.csv"));
}

// The TULMEN scan claims its files away and back; a refusal there is said
// the same way.
TEST(FolderTroubleTest, ATulmenInputFileThatCannotBeRenamedIsNamedToo) {
  trouble_site site;
  auto window = site.create_window<TTULMEN_scanner_main>();
  site.tree.write("in/t.csv", "x");
  site.fault.deny_rename("t.csv");
  tick(*window);
  EXPECT_EQ(window->current_lamp().colour, lamp_colour::amber);
  EXPECT_EQ(window->current_lamp().text,
            "Input folder " + site.folder("in") +
                " holds files that cannot be renamed (Permission denied).");
}

// Postbake samples are archived in the postbake system as production files
// are in theirs: a missing archive is said alike for both.
TEST(FolderTroubleTest, AMissingPostbakeArchiveTurnsTheLampAmberAsTheProductionArchiveDoes) {
  for (const QString archive : {QStringLiteral("v/archive"), QStringLiteral("pb/archive")}) {
    SCOPED_TRACE(archive.toStdString());
    trouble_site site;
    for (const char* f : {"pb/archive", "pb/database/products/PB/measurements/L/new"}) {
      site.tree.make_folder(f);
    }
    site.tree.write("pb/database/current_product/PB", {});
    site.write_program_file("vellic_postbake_path.ini", {site.path("pb"), "L"});
    auto window = site.create_window<TSELMAR_spectrum_scanner_main>();
    ASSERT_EQ(window->current_lamp().colour, lamp_colour::green)
        << window->current_lamp().text.toStdString();
    QDir(site.path(archive)).removeRecursively();
    tick(*window);
    EXPECT_EQ(window->current_lamp().colour, lamp_colour::amber);
    const QString role = archive.startsWith("pb") ? "Postbake archive folder " : "Archive folder ";
    EXPECT_EQ(window->current_lamp().text, role + site.folder(archive) + " is missing.");
  }
}

// Every point would be converted, which the operator did not choose.
TEST(FolderTroubleTest, APointSelectionThatCannotBeReadIsSaidOnTheBoard) {
  const QString selection = QStringLiteral("traverse_point_selection.txt");
  const struct {
    const char* name;
    std::function<void(trouble_site&)> spoil;
    QString reason;
  } cases[] = {
      {"a folder of that name", [&](trouble_site& s) { s.tree.make_folder("prog/" + selection); },
       "it is a folder"},
      {"a file that cannot be read",
       [&](trouble_site& s) {
         s.write_program_file(selection, {"Point 3", "0"});
         s.fault.refuse_read(selection);
       },
       "Permission denied"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    trouble_site site;
    c.spoil(site);
    auto window = site.create_window();
    const QString board = window->messages->toPlainText();
    EXPECT_TRUE(board.contains("The point selection file " + site.program_file(selection) +
                               " cannot be read ("))
        << board.toStdString();
    EXPECT_TRUE(board.contains(c.reason)) << board.toStdString();
    EXPECT_TRUE(board.contains("); every traverse point is converted.")) << board.toStdString();
    for (int point = 1; point <= 51; ++point) EXPECT_TRUE(window->point_selected[point]);
    // And to whoever is there, as any error.
    ASSERT_EQ(site.prompts.texts().size(), 1);
    EXPECT_TRUE(board.contains(site.prompts.texts()[0])) << site.prompts.texts()[0].toStdString();
  }
}

}  // namespace
