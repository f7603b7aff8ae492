// The Halvik window: its layout, and what it hands its conversions (the
// folders of both kinds of files, the point selection, the archive rule).

#include <QDate>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include "basics/scan_data.h"
#include "basics/text.h"
#include "basics/text_file.h"
#include "scanner/halvik_spectrum_scanner_Unit.h"
#include "scanner_site.h"
#include "support/file_lines.h"
#include "support/halvik_file.h"

namespace {

using test_support::files_in;
using test_support::lines_of;
using test_support::scanner_site;

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 7, 9));

// Product P with the measurements L (exsitu) and LI (insitu), the input
// folders "in" and "insitu".
struct halvik_site : scanner_site {
  halvik_site() {
    make_vellic_tree();
    tree.make_folder("v/database/products/P/measurements/LI/new");
    tree.make_folder("insitu");
    write_program_file("vellic_scanner.ini", {path("in"), "L", "False", "1", "125", "LI",
                                              "Insitu input path", path("insitu")});
    fault.set_now(kNow);
  }
  void drop_both() {
    basics::write_lines(path("in/a.csv"), halvik_exsitu_lines(test_support::halvik_exsitu_with(4)));
    test_support::halvik_insitu nine;
    nine.plate = "78";
    basics::write_lines(path("insitu/b.csv"), test_support::halvik_insitu_lines(nine));
  }
  QString measurement(const QString& name) const {
    return "v/database/products/P/measurements/" + name + "/new/";
  }
};

TEST(HalvikWindowTest, ItsLayoutOffersThePointSelectionAndTheInsituFolder) {
  halvik_site site;
  auto window = site.create_window<THalvik_scanner_main>();
  EXPECT_EQ(window->Label5->text(), "Halvik scanner");
  EXPECT_TRUE(window->Memo1->toPlainText().contains("This Halvik scanner acts according to"));
  EXPECT_TRUE(window->Points_button->isVisibleTo(window.get()));
  EXPECT_TRUE(window->insitu_path_editor->isVisibleTo(window.get()));
  EXPECT_EQ(window->insitu_path_editor->text(), site.path("insitu"));
  EXPECT_EQ(window->inline_data.no_spectra, 1);
  EXPECT_EQ(window->sc_data.max_no_points, 168);
}

TEST(HalvikWindowTest, OneScanStepConvertsBothKindsIntoTheirMeasurements) {
  halvik_site site;
  site.tree.make_folder("v/archive");
  auto window = site.create_window<THalvik_scanner_main>();
  for (int i = 1; i <= 8; ++i) window->add_message(QStringLiteral("earlier %1").arg(i));
  window->point_selected[1] = false;
  site.drop_both();
  window->Timer1Timer();

  const QStringList board = lines_of(window->messages->toPlainText());
  EXPECT_EQ(board.size(), 8) << board.join('\n').toStdString();  // nothing trimmed or added
  basics::scan_data traverse;
  traverse.loadfromfile(site.path(site.measurement("L") + "77.scn"));
  EXPECT_EQ(traverse.no_positions, 3);
  EXPECT_EQ(traverse.positions.mid(0, 3), (QVector<qint32>{200, 300, 400}));
  EXPECT_TRUE(site.tree.exists(site.measurement("LI") + "78.scn"));
  EXPECT_EQ(window->zeiss_plate, 78);
  EXPECT_TRUE(site.tree.exists("v/archive/P/2024/3/5/L/exsitu_77.csv"));
  EXPECT_TRUE(site.tree.exists("v/archive/P/2024/3/5/LI/insitu_78.csv"));
  EXPECT_TRUE(files_in(site.path("in")).isEmpty());
  EXPECT_TRUE(files_in(site.path("insitu")).isEmpty());
  EXPECT_EQ(window->action_label->text(),
            basics::date_time_stamp() + "   Converting insitu data ...");
}

// The Halvik files go only into the measurement system's own archive.
TEST(HalvikWindowTest, AnExternalArchiveIsNotUsed) {
  halvik_site site;
  site.tree.make_folder("external");
  site.tree.write("v/vellic.ini", "External archive directory\r\n" +
                                      site.folder("external").toLocal8Bit() + "\r\n");
  auto window = site.create_window<THalvik_scanner_main>();
  ASSERT_EQ(window->external_archive_directory, site.folder("external"));
  site.drop_both();
  window->Timer1Timer();
  EXPECT_TRUE(site.tree.exists(site.measurement("L") + "77.scn"));
  EXPECT_TRUE(files_in(site.path("external")).isEmpty());
  // Without an archive the converted files are removed; their values live
  // on in the scan files.
  EXPECT_TRUE(files_in(site.path("in")).isEmpty());
  EXPECT_TRUE(files_in(site.path("insitu")).isEmpty());
}

}  // namespace
