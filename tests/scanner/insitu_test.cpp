// The insitu conversion reached through the window: each test shows one part
// of the window's state arriving in the conversion's context, and the
// window's own care of its board. The conversion itself is tested on its own
// in tests/conversion.

#include <QDate>
#include <QDateTime>
#include <QLabel>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include "basics/sprachen.h"
#include "basics/text.h"
#include "basics/text_file.h"
#include "scanner_site.h"
#include "support/file_lines.h"
#include "support/insitu_file.h"
#include "support/probe_heads.h"

namespace {

using test_support::insitu_lines;
using test_support::insitu_measurement;
using test_support::scanner_site;

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 7, 9));

// A VELLIC tree of product "P" with the measurement folders "LA" and "LB",
// the insitu input folder "insitu" and the archive "arch"; the probe heads
// table naming "LA" and "LB" for "Head A" and "Head B" lies in the program
// folder unless asked otherwise.
struct insitu_site : scanner_site {
  explicit insitu_site(bool with_probe_heads = true) {
    make_vellic_tree();
    tree.make_folder("v/database/products/P/measurements/LA/new");
    tree.make_folder("v/database/products/P/measurements/LB/new");
    tree.make_folder("insitu");
    tree.make_folder("arch");
    if (with_probe_heads) {
      test_support::probe_heads_table().save_to_file(program_file("DORNIK_probeheads.bin"));
    }
    fault.set_now(kNow);
    window = create_window();
    window->insitu_input_path = folder("insitu");
    window->vellic_path = folder("v");
    window->product = "P";
    window->external_archive_directory = folder("arch");
  }
  QString drop(const QString& name, const insitu_measurement& m) {
    const QString file = path("insitu/" + name);
    basics::write_lines(file, insitu_lines(m));
    EXPECT_TRUE(fault.set_last_modified(file, kNow.addSecs(-60)).ok());
    return file;
  }
  QStringList board() const { return test_support::lines_of(window->messages->toPlainText()); }
  QStringList input_files() const { return test_support::files_in(path("insitu")); }
  QString output(const QString& nickname, const QString& plate) const {
    return "v/database/products/P/measurements/" + nickname + "/new/" + plate + "___T.csv";
  }
  std::unique_ptr<TDORNIK_scanner_main> window;
};

// The window's insitu folder, VELLIC tree, product and archive place the
// files; the board, the status line and the plate are the window's.
TEST(InsituTest, ConversionWorksInTheWindowsFoldersAndShowsOnItsBoardAndStatusLine) {
  insitu_site site;
  site.drop("a.csv", insitu_measurement{});
  site.window->handle_insitu_data();
  EXPECT_TRUE(site.tree.exists(site.output("LA", "1234")));
  EXPECT_TRUE(site.tree.exists("arch/P/2024/3/5/insitu/a.csv"));
  EXPECT_TRUE(site.input_files().isEmpty());
  EXPECT_EQ(site.board(),
            (QStringList{"Insitu data: Plate number 1234", site.path(site.output("LA", "1234"))}));
  EXPECT_EQ(site.window->action_label->text(),
            basics::date_time_stamp() + "   Converting insitu data ...");
  EXPECT_EQ(site.window->zeiss_plate, 1234);
}

// The table loaded from DORNIK_probeheads.bin in the program folder sends
// each probe head to its measurement; without the file no probe head has one.
TEST(InsituTest, ProbeHeadsTableFromTheProgramFolderIsUsed) {
  const struct {
    const char* name;
    bool table_file;
    const char* probe_head;
    const char* measurement;  // nullptr: set aside
  } cases[] = {
      {"Head A", true, "Head A", "LA"},
      {"Head B", true, "Head B", "LB"},
      {"no table file", false, "Head A", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    insitu_site site(c.table_file);
    insitu_measurement m;
    m.probe_head = c.probe_head;
    site.drop("a.csv", m);
    site.window->handle_insitu_data();
    if (c.measurement) {
      EXPECT_TRUE(site.tree.exists(site.output(c.measurement, "1234")));
      EXPECT_TRUE(site.input_files().isEmpty());
      continue;
    }
    EXPECT_EQ(site.input_files(), QStringList{"a.csv.failed"});
    EXPECT_EQ(site.board().value(1),
              "Error: The probe head Head A is not in the probe heads table; no output written. "
              "The measurement a.csv is kept as " +
                  site.path("insitu/a.csv.failed") + ".");
  }
}

TEST(InsituTest, TheBoardKeepsSixEarlierLinesPlusThisCallsMessages) {
  insitu_site site;
  for (int i = 1; i <= 10; ++i) site.window->add_message(QStringLiteral("earlier %1").arg(i));
  site.drop("a.csv", insitu_measurement{});
  insitu_measurement second;
  second.plate = "1235";
  site.drop("b.csv", second);
  site.window->handle_insitu_data();
  EXPECT_EQ(
      site.board(),
      (QStringList{"earlier 5", "earlier 6", "earlier 7", "earlier 8", "earlier 9", "earlier 10",
                   "Insitu data: Plate number 1234", site.path(site.output("LA", "1234")),
                   "Insitu data: Plate number 1235", site.path(site.output("LA", "1235"))}));
}

}  // namespace
