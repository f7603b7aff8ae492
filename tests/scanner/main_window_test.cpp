// The main window's layout, its scan record and its render.

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "scanner/operator_panel.h"
#include "scanner_site.h"

namespace {

using test_support::scanner_site;

QString text_of(QWidget* control) {
  if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
  if (auto* edit = qobject_cast<QLineEdit*>(control)) return edit->text();
  if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
  if (auto* memo = qobject_cast<QPlainTextEdit*>(control)) return memo->toPlainText();
  return QStringLiteral("<no text>");
}

TEST(MainWindowTest, TheVisibleControlsSitWhereTheOperatorKnowsThem) {
  struct control_case {
    const char* name;
    QRect geometry;  // an empty size: sized to the text
    QString text;    // as the layout gives it, before creation
  };
  const QList<control_case> cases = {
      {"Label5", {8, 8, 0, 0}, "DORNIK spectrum scanner"},
      {"active_button", {276, 11, 100, 30}, "Active"},
      {"clear_button", {390, 11, 100, 30}, "Clear input"},
      {"Label1", {16, 51, 0, 0}, "Input path insitu:"},
      {"insitu_path_editor", {112, 47, 497, 21}, "Specify input path here"},
      {"Label4", {16, 77, 0, 0}, "Input path exsitu:"},
      {"input_path_editor", {112, 74, 497, 21}, "Specify input path here"},
      {"VELLIC_path_caption", {40, 110, 0, 0}, "VELLIC path:"},
      {"VELLIC_path_label", {136, 110, 0, 0}, "---"},
      {"cp_lab", {40, 129, 0, 0}, "Current product:"},
      {"product_label", {136, 129, 0, 0}, "---"},
      {"output_path_editor", {472, 134, 137, 21}, "Specify LUMOR name here"},
      {"Label3", {16, 245, 0, 0}, "Last action:"},
      {"action_label", {82, 245, 0, 0}, "------"},
      {"Memo1", {8, 264, 593, 177}, {}},
      {"Label2", {16, 456, 0, 0}, "Messages:"},
      {"Button2", {496, 456, 113, 17}, "Clear messages"},
      {"messages", {16, 472, 593, 113}, ""},
  };
  TDORNIK_scanner_main window;
  EXPECT_EQ(window.windowTitle(), QStringLiteral("DORNIK_scanner_main"));
  // The layout's 627 x 593 pixels, and the operator's panel right of them:
  // the window grows to the right, nothing of the layout moves.
  EXPECT_EQ(window.size(), QSize(627 + scanner::operator_panel::kWidth, 593));
  EXPECT_EQ(window.the_panel()->geometry(), QRect(627, 0, scanner::operator_panel::kWidth, 593));
  EXPECT_EQ(window.palette().color(QPalette::Window), QColor(0, 255, 255));
  EXPECT_EQ(window.font().family(), QStringLiteral("Tahoma"));
  EXPECT_EQ(window.font().pixelSize(), 11);
  EXPECT_EQ(window.Label5->font().family(), QStringLiteral("Times New Roman"));
  EXPECT_EQ(window.Label5->font().pixelSize(), 21);

  for (const control_case& c : cases) {
    SCOPED_TRACE(c.name);
    auto* control = window.findChild<QWidget*>(QString::fromLatin1(c.name));
    ASSERT_NE(control, nullptr);
    EXPECT_TRUE(control->isVisibleTo(&window));
    EXPECT_EQ(control->parentWidget(), &window);
    EXPECT_EQ(control->pos(), c.geometry.topLeft());
    if (!c.geometry.size().isEmpty()) {
      EXPECT_EQ(control->size(), c.geometry.size());
    }
    if (!c.text.isNull()) {
      EXPECT_EQ(text_of(control), c.text);
    }
  }
  // A caption wider than the room the layout left before its field ends
  // just before the field instead of running under it.
  EXPECT_EQ(window.lumor_lab->text(), "LUMOR exsitu:");
  EXPECT_EQ(window.lumor_lab->y(), 137);
  const int caption_right = window.lumor_lab->x() + window.lumor_lab->width();
  if (window.lumor_lab->width() <= 472 - 4 - 416) {
    EXPECT_EQ(window.lumor_lab->x(), 416);
  } else {
    EXPECT_EQ(caption_right, 472 - 4);
  }
}

TEST(MainWindowTest, TheHiddenControlsExistWithTheirTexts) {
  const QList<std::pair<const char*, QString>> hidden = {
      {"Label4b", "LUMOR insitu:"},
      {"lumor_insitu_editor", "Specify LUMOR name here"},
      {"dgt_lab", "Data go to:"},
      {"total_output_path_label", "---"},
      {"line_speed_label", "Line speed"},
      {"start_active_check_box", "Start active"},
      {"automatic_product_identification", "Automatic product identification"},
      {"vellic_postbake_path_", "VELLIC postbake path:"},
      {"Label7", "Current postbake product:"},
      {"Label9", "Postbake data go to:"},
      {"Label11", "LUMOR:"},
      {"vellic_postbake_path_label", "---"},
      {"postbake_product_label", "---"},
      {"postbake_total_output_path_label", "---"},
      {"postbake_output_path_editor", "Specify LUMOR name here"},
      {"Button1", "Historic ID"},
      {"Button3", "sql_test_query"},
      {"sql_test_query", "sql_test_query"},
      {"Button4", "Line speed"},
      {"Points_button", "Point selection"},
  };
  TDORNIK_scanner_main window;
  for (const auto& [name, text] : hidden) {
    SCOPED_TRACE(name);
    auto* control = window.findChild<QWidget*>(QString::fromLatin1(name));
    ASSERT_NE(control, nullptr);
    EXPECT_FALSE(control->isVisibleTo(&window));
    EXPECT_EQ(text_of(control), text);
  }
}

TEST(MainWindowTest, TheRulesTextHasItsNineLines) {
  TDORNIK_scanner_main window;
  const QStringList lines = window.Memo1->toPlainText().split('\n');
  ASSERT_EQ(lines.size(), 9);
  EXPECT_EQ(lines[0], QString());
  EXPECT_EQ(lines[1],
            QStringLiteral("This DORNIK spectrum scanner acts according to the following rules:"));
  EXPECT_EQ(lines[5], QStringLiteral("- If a file is deteced the scanner tries to rename it."));
  EXPECT_EQ(lines[8],
            QStringLiteral(
                "- Exsitu files are converted to an input file for lumor_traverse.exe (*.scn)"));
}

TEST(MainWindowTest, CreationShapesTheScanRecordAndFocusesTheActiveButton) {
  scanner_site site;
  auto window = site.create_window();
  const basics::scan_data& record = window->sc_data;
  EXPECT_EQ(record.no_positions, 33);
  EXPECT_EQ(record.no_spectra, 3);
  EXPECT_EQ(record.max_no_points, 121);
  EXPECT_EQ(record.spectral_data.size(), 33 * 3 * 121);
  for (int spectrum = 0; spectrum < 3; ++spectrum) {
    EXPECT_EQ(record.x_min[spectrum], 380.0f);
    EXPECT_EQ(record.x_max[spectrum], 980.0f);
    EXPECT_EQ(record.no_points[spectrum], 121);
  }
  EXPECT_EQ(window->inline_data.no_positions, 0);  // the Halvik record is not made here
  EXPECT_EQ(window->focusWidget(), window->active_button);
}

TEST(MainWindowTest, ADamagedProbeHeadsFileIsReportedAndCreationFinishes) {
  scanner_site site;
  site.tree.write("prog/DORNIK_probeheads.bin", test_support::fixture("vocabulary_truncated.bin"));
  auto window = site.create_window();

  ASSERT_EQ(site.prompts.texts().size(), 1);
  EXPECT_TRUE(site.prompts.texts()[0].contains("DORNIK_probeheads.bin"))
      << site.prompts.texts()[0].toStdString();
  EXPECT_TRUE(window->creation_complete());
  EXPECT_TRUE(window->Timer1->isActive());
}

TEST(MainWindowTest, TheWindowRendersToAPicture) {
  scanner_site site;
  site.make_vellic_tree(QStringLiteral("Coat7"), QStringLiteral("LUMOR_ex"));
  auto window = site.create_window();
  window->send_message(QStringLiteral("Plate 1234: 33 positions converted"));
  window->show();
  QCoreApplication::processEvents();  // scroll bars and layouts settle
  const QPixmap picture = window->grab();
  QDir().mkpath(QStringLiteral(SCREENSHOT_DIR));
  ASSERT_FALSE(picture.isNull());
  EXPECT_TRUE(picture.save(QStringLiteral(SCREENSHOT_DIR "/main_window.png")));

  // What the operator sees, checked with a tolerance rather than against a
  // stored picture: fonts and smoothing differ between machines. One image
  // pixel per window pixel, so control geometries are picture regions.
  EXPECT_EQ(picture.deviceIndependentSize().toSize(),
            QSize(627 + scanner::operator_panel::kWidth, 593));
  QImage image = picture.toImage().convertToFormat(QImage::Format_RGB32);
  image = image.scaled(picture.deviceIndependentSize().toSize());
  const auto same_colour = [](QRgb a, QRgb b) {
    constexpr int tolerance = 48;
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
  };
  // The most common colour of `region`, and how many pixels differ from it
  // clearly: the ink drawn on that background.
  struct region_colours {
    QRgb background = 0;
    int ink = 0;
  };
  const auto colours_of = [&](const QRect& region) {
    QHash<QRgb, int> counts;
    for (int y = region.top(); y <= region.bottom(); ++y) {
      for (int x = region.left(); x <= region.right(); ++x) ++counts[image.pixel(x, y)];
    }
    region_colours result;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
      if (it.value() > most) {
        most = it.value();
        result.background = it.key();
      }
    }
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
      if (!same_colour(it.key(), result.background)) result.ink += it.value();
    }
    return result;
  };

  // The margin left of every control shows the window's face: cyan.
  const QRect margin(0, 0, 8, 593);
  EXPECT_TRUE(same_colour(colours_of(margin).background, qRgb(0, 255, 255)));
  EXPECT_EQ(colours_of(margin).ink, 0);

  // Regions where a text is drawn: not one flat colour.
  const auto region_of = [&](QWidget* control) {
    return QRect(control->mapTo(window.get(), QPoint(0, 0)), control->size());
  };
  struct text_region {
    const char* name;
    QRect region;
  };
  const text_region texts[] = {
      {"the title", region_of(window->Label5)},
      {"the rules text", region_of(window->Memo1->viewport())},
      {"the message board", region_of(window->messages->viewport())},
  };
  for (const text_region& c : texts) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(image.rect().contains(c.region));
    EXPECT_GT(colours_of(c.region).ink, 20);
  }
}

}  // namespace
