// The exsitu conversion reached through the window: each test shows one part
// of the window's state arriving in the conversion's context. The conversion
// itself is tested on its own in tests/conversion.

#include <QDate>
#include <QDateTime>
#include <QLabel>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include <functional>

#include "basics/text.h"
#include "basics/text_file.h"
#include "scanner_site.h"
#include "support/exsitu_file.h"
#include "support/file_lines.h"

namespace {

using test_support::exsitu_lines;
using test_support::exsitu_plate;
using test_support::plate_with;
using test_support::scanner_site;

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 7, 9));

// A VELLIC tree with an archive, the input folder "in", the output "out".
struct exsitu_site : scanner_site {
  exsitu_site() {
    make_vellic_tree();
    tree.make_folder("out");
    tree.make_folder("arch");
    fault.set_now(kNow);
    window = create_window();
    window->input_path = folder("in");
    window->total_output_path = path("out");
    window->product = "P";
    window->lumor_name = "L";
    window->external_archive_directory = folder("arch");
  }
  QString drop(const QString& name, const exsitu_plate& p,
               const QDateTime& written = kNow.addSecs(-60)) {
    const QString file = path("in/" + name);
    basics::write_lines(file, exsitu_lines(p));
    EXPECT_TRUE(fault.set_last_modified(file, written).ok());
    return file;
  }
  QStringList board() const { return test_support::lines_of(window->messages->toPlainText()); }
  QStringList input_files() const { return test_support::files_in(path("in")); }
  std::unique_ptr<TDORNIK_scanner_main> window;
};

// The window's folders, product and measurement name place the scan file and
// the archive copy; the board, the status line and the plate are the window's.
TEST(ExsituTest, ConversionWorksInTheWindowsFoldersAndShowsOnItsBoardAndStatusLine) {
  exsitu_site site;
  site.drop("a.csv", plate_with(3, "1"));
  site.drop("b.csv", plate_with(3, "7b"));
  site.window->handle_exsitu_data();
  EXPECT_TRUE(site.tree.exists("out/1.scn"));
  EXPECT_TRUE(site.tree.exists("out/7.scn"));
  EXPECT_TRUE(site.tree.exists("arch/P/2024/3/5/L/exsitu_1.csv"));
  EXPECT_TRUE(site.tree.exists("arch/P/2024/3/5/L/exsitu_7.csv"));
  EXPECT_TRUE(site.input_files().isEmpty());
  EXPECT_EQ(site.board(), QStringList{"Error: 7b could not be converted to a plate number."});
  EXPECT_EQ(site.window->action_label->text(),
            basics::date_time_stamp() + "   Converting exsitu data ...");
  EXPECT_EQ(site.window->zeiss_plate, 7);

  // A status line shown as it is, without the date in front: the next
  // day's archive folder cannot be created.
  QStringList announced;
  QObject::connect(site.window.get(), &TVELLIC_spectrum_scanner::action_shown,
                   [&announced](const QString& text, const QString&) { announced << text; });
  site.fault.set_now(kNow.addDays(1));
  site.fault.refuse_create_folder("arch");
  site.drop("c.csv", plate_with(3, "8"), kNow);
  site.window->handle_exsitu_data();
  EXPECT_EQ(site.window->action_label->text(),
            site.path("arch/P/2024/3/6/L") + " could not be created!");
  // Every status text reaches the journal.
  EXPECT_TRUE(announced.contains(site.path("arch/P/2024/3/6") + " could not be created!"))
      << announced.join('\n').toStdString();
  EXPECT_EQ(site.input_files(), QStringList{"c.csv.failed"});
  EXPECT_EQ(site.board().size(), 2);
}

TEST(ExsituTest, WindowSettingsReachTheConversion) {
  const struct {
    const char* name;
    std::function<void(exsitu_site&)> arrange;
    std::function<void(exsitu_site&)> check;
  } cases[] = {
      {"a point deselected in the window takes no slot",
       [](exsitu_site& s) {
         s.window->point_selected[2] = false;
         s.drop("a.csv", plate_with(4, "5"));
       },
       [](exsitu_site& s) {
         basics::scan_data record;
         record.loadfromfile(s.path("out/5.scn"));
         EXPECT_EQ(record.positions.mid(0, 3), (QVector<qint32>{10, 30, 40}));
       }},
      {"archive by date of measurement",
       [](exsitu_site& s) {
         s.fault.set_now(QDateTime(QDate(2024, 1, 2), QTime(8, 0)));
         s.window->archive_using_date_of_measurement = true;
         s.drop("a.csv", plate_with(3, "5"), QDateTime(QDate(2023, 12, 31), QTime(23, 59, 59)));
       },
       [](exsitu_site& s) { EXPECT_TRUE(s.tree.exists("arch/P/2023/12/31/L/exsitu_5.csv")); }},
      {"settle time",
       [](exsitu_site& s) {
         s.window->process_file_delay_time_in_seconds = 30;
         s.drop("a.csv", plate_with(2, "6"), kNow.addSecs(-10));
       },
       [](exsitu_site& s) { EXPECT_EQ(s.input_files(), QStringList{"a.csv"}); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    exsitu_site site;
    c.arrange(site);
    site.window->handle_exsitu_data();
    c.check(site);
  }
}

}  // namespace
