// The TULMEN and base windows: their layouts, their scan steps reached
// through the window (settings, product identification, naming rule) and
// their test buttons. The conversions themselves are tested on their own in
// tests/conversion.

#include <QCheckBox>
#include <QLabel>
#include <QTimer>

#include <gtest/gtest.h>

#include "scanner/tulmen_scanner_main_unit.h"
#include "scanner/vellic_spectrum_scanner_unit.h"
#include "scanner_site.h"
#include "support/tulmen_file.h"

namespace {

using test_support::answer;
using test_support::scanner_site;
using test_support::tulmen_measurement;

// A VELLIC tree "v" with product P, the measurement L and an archive, and
// the input folder "in"; `ticked` is the product identification setting.
struct variant_site : scanner_site {
  explicit variant_site(bool ticked = false, int no_scan_files = 1) {
    make_vellic_tree();
    tree.make_folder("v/archive");
    write_program_file("vellic_scanner.ini", {path("in"), "L", ticked ? "True" : "False",
                                              QString::number(no_scan_files)});
  }
  QStringList measurement_files(const QString& product) const {
    return test_support::files_in(path("v/database/products/" + product + "/measurements/L/new"));
  }
};

TEST(VariantsTest, TulmenLayoutShowsTheIdentificationAndShapesItsRecord) {
  variant_site site;
  const auto window = site.create_window<TTULMEN_scanner_main>();
  window->show();
  EXPECT_TRUE(window->automatic_product_identification->isVisible());
  EXPECT_FALSE(window->Button1->isVisible());
  // Headed with its own name, not its ancestor's.
  EXPECT_EQ(window->Label5->text(), "TULMEN scanner");
  EXPECT_EQ(window->sc_data.no_positions, 40);
  EXPECT_EQ(window->sc_data.no_spectra, 2);
  EXPECT_EQ(window->sc_data.max_no_points, 261);
  EXPECT_EQ(window->sc_data.x_min, (QVector<float>{380, 380}));
  EXPECT_EQ(window->sc_data.x_max, (QVector<float>{1680, 1680}));
  EXPECT_EQ(window->sc_data.no_points, (QVector<qint32>{261, 261}));
}

TEST(VariantsTest, TulmenStepIdentifiesTheProductAndWritesForIt) {
  // The first position reads 0.27 inside the window: stored above 0.27.
  tulmen_measurement m;
  m.value = [](int s, int i, int j) { return s == 0 && j == 0 && i == 50 ? "0.27" : "0.1"; };
  const struct {
    bool ticked;
    QString product;
  } cases[] = {{true, "SiO2 production"}, {false, "P"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ticked);
    variant_site site(c.ticked);
    site.tree.make_folder("v/database/products/SiO2 production/measurements/L/new");
    site.tree.write("in/K7_export.csv", test_support::tulmen_bytes(m));
    const auto window = site.create_window<TTULMEN_scanner_main>();
    window->timer_action();
    EXPECT_EQ(test_support::files_in(site.path("v/database/current_product")),
              QStringList{c.product});
    EXPECT_EQ(site.measurement_files(c.product), QStringList{"K7.scn"});
    EXPECT_EQ(window->product_label->text(), c.product);
    EXPECT_TRUE(test_support::files_in(site.path("in")).isEmpty());
  }
}

TEST(VariantsTest, TulmenScanFileCountComesFromTheSettings) {
  variant_site site(false, 2);
  tulmen_measurement m;
  m.positions = test_support::tulmen_positions(40);
  site.tree.write("in/K7_export.csv", test_support::tulmen_bytes(m));
  const auto window = site.create_window<TTULMEN_scanner_main>();
  window->timer_action();
  EXPECT_EQ(site.measurement_files("P"), (QStringList{"K7.sc1", "K7.sc2"}));
  EXPECT_TRUE(window->Timer1->isActive());
}

TEST(VariantsTest, TulmenTestButtonSplitsANumberIntoFours) {
  const struct {
    const char* typed;
    QStringList shown;
  } cases[] = {{"10", {"3\n\r2"}}, {"8", {"2\n\r0"}}, {"-5", {"0\n\r-1"}}, {"ten", {}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    variant_site site;
    const auto window = site.create_window<TTULMEN_scanner_main>();
    site.prompts.clear();
    site.prompts.script(answer::typed(c.typed));
    window->Button1->click();
    ASSERT_FALSE(site.prompts.shown().isEmpty());
    EXPECT_EQ(site.prompts.shown()[0].caption, "test");
    EXPECT_EQ(site.prompts.shown()[0].text, "Input number: ");
    EXPECT_EQ(site.prompts.texts().mid(1), c.shown);
  }
}

TEST(VariantsTest, BaseStepMovesDatFilesUnderTheWindowsNewName) {
  variant_site site;
  site.tree.write("in/S1.dat", "s1");
  site.tree.write("in/x.dat.dat", "x");
  const auto window = site.create_window<TVELLIC_spectrum_scanner>();
  EXPECT_FALSE(window->automatic_product_identification->isVisibleTo(window.get()));
  window->timer_action();
  EXPECT_EQ(site.measurement_files("P"), (QStringList{"S1___R.dat", "x.dat___R.dat"}));
  EXPECT_EQ(site.tree.read("v/database/products/P/measurements/L/new/S1___R.dat"), "s1");
  EXPECT_EQ(window->action_label->text(), "x.dat.dat has been moved");
  EXPECT_TRUE(window->Timer1->isActive());
}

TEST(VariantsTest, BaseStepShowsAMovedFileThatCannotBeDeletedInABox) {
  variant_site site;
  site.tree.write("in/S1.dat", "s1");
  const auto window = site.create_window<TVELLIC_spectrum_scanner>();
  site.prompts.clear();
  site.fault.refuse_delete(site.path("in"));
  window->timer_action();
  EXPECT_EQ(site.measurement_files("P"), QStringList{"S1___R.dat"});
  ASSERT_EQ(site.prompts.texts().size(), 1);
  EXPECT_TRUE(site.prompts.texts()[0].startsWith(site.path("in")));
  EXPECT_TRUE(site.prompts.texts()[0].endsWith(".tmp could not be deleted."))
      << site.prompts.texts()[0].toStdString();
}

TEST(VariantsTest, BaseTestButtonSeesItsOwnOpenFile) {
  variant_site site;
  site.tree.make_folder("tmp");
  site.fault.set_temp_folder(site.path("tmp"));
  const auto window = site.create_window<TVELLIC_spectrum_scanner>();
  site.prompts.clear();
  window->Button1Click();
  EXPECT_EQ(site.prompts.texts(), (QStringList{"File is open", "File is closed!"}));
  EXPECT_TRUE(site.tree.exists("tmp/test.txt"));
}

}  // namespace
