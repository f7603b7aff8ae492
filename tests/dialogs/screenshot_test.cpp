#include "dialogs/language_editor_unit.h"
#include "dialogs/password_unit.h"
#include "dialogs/point_selection_dialog_unit.h"

#include <QCheckBox>
#include <QDir>
#include <QHash>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <optional>
#include <utility>

// Renders of the dialogs, checked for what the operator would see: the
// dialog's size, texts actually drawn, the password masked, ticked and
// unticked boxes told apart. Fonts and anti-aliasing differ between
// machines, so the checks count pixels that differ clearly instead of
// comparing with stored pictures. The renders are also saved as PNGs for a
// look at the layout.

namespace {

// Channels closer than this count as the same colour: smoothing and hinting
// move edges by a shade, a drawn glyph or tick differs by far more.
constexpr int kTolerance = 48;
// Fewer differing pixels than this count as "looks the same" (a text cursor
// that blinked between two renders stays below it); a drawn word or tick
// lies far above it.
constexpr int kNoise = 20;

bool same_colour(QRgb a, QRgb b) {
  return std::abs(qRed(a) - qRed(b)) <= kTolerance &&
         std::abs(qGreen(a) - qGreen(b)) <= kTolerance &&
         std::abs(qBlue(a) - qBlue(b)) <= kTolerance;
}

// Shows the dialog, grabs it at one image pixel per widget pixel, so control
// geometries are picture regions, and saves it under `png_name` unless empty.
QImage render(QWidget& dialog, const QString& png_name = QString()) {
  dialog.show();
  const QPixmap pixmap = dialog.grab();
  dialog.hide();
  EXPECT_FALSE(pixmap.isNull());
  if (!png_name.isEmpty()) {
    QDir().mkpath(QStringLiteral(SCREENSHOT_DIR));
    EXPECT_TRUE(pixmap.save(QStringLiteral(SCREENSHOT_DIR "/") + png_name));
  }
  QImage picture = pixmap.toImage().convertToFormat(QImage::Format_RGB32);
  const QSize size = pixmap.deviceIndependentSize().toSize();
  if (picture.size() != size) picture = picture.scaled(size);
  picture.setDevicePixelRatio(1.0);
  return picture;
}

// Pixels of `region` that differ from its most common colour: what is drawn
// on a plain background. 0 for a region of one flat colour.
int ink_pixels(const QImage& picture, const QRect& region) {
  QHash<QRgb, int> counts;
  for (int y = region.top(); y <= region.bottom(); ++y) {
    for (int x = region.left(); x <= region.right(); ++x) ++counts[picture.pixel(x, y)];
  }
  const auto background = std::max_element(counts.cbegin(), counts.cend());
  if (background == counts.cend()) return 0;
  int ink = 0;
  for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
    if (!same_colour(it.key(), background.key())) ink += it.value();
  }
  return ink;
}

// Pixels that differ between the region `in_a` of `a` and the region of the
// same size at `in_b` of `b`.
int differing_pixels(const QImage& a, const QRect& in_a, const QImage& b, const QPoint& in_b) {
  int differing = 0;
  for (int y = 0; y < in_a.height(); ++y) {
    for (int x = 0; x < in_a.width(); ++x) {
      const QRgb pixel_a = a.pixel(in_a.left() + x, in_a.top() + y);
      const QRgb pixel_b = b.pixel(in_b.x() + x, in_b.y() + y);
      if (!same_colour(pixel_a, pixel_b)) ++differing;
    }
  }
  return differing;
}

int differing_pixels(const QImage& a, const QImage& b, const QRect& region) {
  return differing_pixels(a, region, b, region.topLeft());
}

TEST(ScreenshotTest, ThePasswordDialogShowsItsTextsAndMasksThePassword) {
  TPasswordDlg dialog;
  const QImage empty = render(dialog);
  dialog.Password->setText(QStringLiteral("secret"));
  const QImage typed = render(dialog, QStringLiteral("password_dialog.png"));
  EXPECT_EQ(typed.size(), QSize(233, 93));

  // Each text is drawn: its control's region is not flat, and it changes
  // when the text is taken away.
  struct text_case {
    QWidget* control;
    std::function<void(const QString&)> set_text;
    QString text;
  };
  const text_case texts[] = {
      {dialog.explanation, [&](const QString& t) { dialog.explanation->setText(t); },
       QStringLiteral("Enter password:")},
      {dialog.OKBtn, [&](const QString& t) { dialog.OKBtn->setText(t); }, QStringLiteral("OK")},
      {dialog.CancelBtn, [&](const QString& t) { dialog.CancelBtn->setText(t); },
       QStringLiteral("Cancel")},
  };
  for (const text_case& c : texts) {
    SCOPED_TRACE(c.text.toStdString());
    const QRect region = c.control->geometry();
    ASSERT_TRUE(typed.rect().contains(region));
    EXPECT_GT(ink_pixels(typed, region), kNoise);
    c.set_text(QString());
    EXPECT_GT(differing_pixels(typed, render(dialog), region), kNoise);
    c.set_text(c.text);
  }

  // Typing shows something in the field, but what shows does not depend on
  // which letters were typed: another word of the same length looks the
  // same. With the clear text shown, the two words would look different.
  const QRect field = dialog.Password->geometry();
  EXPECT_GT(differing_pixels(empty, typed, field), kNoise);
  struct echo_case {
    const char* name;
    std::optional<QLineEdit::EchoMode> mode;  // empty: as the dialog sets it
    bool letters_visible;
  };
  const echo_case echoes[] = {
      {"as the dialog shows it", std::nullopt, false},
      {"clear text, to show the comparison sees letters", QLineEdit::Normal, true},
  };
  for (const echo_case& c : echoes) {
    SCOPED_TRACE(c.name);
    if (c.mode) dialog.Password->setEchoMode(*c.mode);
    dialog.Password->setText(QStringLiteral("secret"));
    const QImage word = render(dialog);
    dialog.Password->setText(QStringLiteral("Wombat"));
    const QImage other_word = render(dialog);
    EXPECT_EQ(differing_pixels(word, other_word, field) > kNoise, c.letters_visible);
  }
}

// The square of a box's tick, in the dialog's coordinates.
QRect indicator_region(const QCheckBox& box) {
  QStyleOptionButton option;
  option.initFrom(&box);
  option.text = box.text();
  const QRect indicator = box.style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, &box);
  return indicator.translated(box.pos());
}

TEST(ScreenshotTest, ThePointSelectionDialogTellsTickedFromUntickedBoxes) {
  Tpoint_selection_dialog dialog;
  QVector<bool> flags(52, true);
  flags[0] = flags[3] = flags[26] = flags[48] = false;
  dialog.set_points(flags);
  const QImage picture = render(dialog, QStringLiteral("point_selection_dialog.png"));
  EXPECT_EQ(picture.size(), dialog.size());
  EXPECT_EQ(picture.size(), QSize(962, 202));

  // Every box is compared with box 1 (ticked) and box 3 (unticked): it looks
  // like the one of its own state and clearly unlike the other.
  const QRect ticked = indicator_region(*dialog.point_box(1));
  const QRect unticked = indicator_region(*dialog.point_box(3));
  ASSERT_TRUE(picture.rect().contains(ticked));
  ASSERT_TRUE(picture.rect().contains(unticked));
  ASSERT_GE(ticked.width() * ticked.height(), 4 * 4);
  for (int n = 1; n <= basics::kTraversePointCount; ++n) {
    SCOPED_TRACE("point " + std::to_string(n));
    const QRect region = indicator_region(*dialog.point_box(n));
    ASSERT_TRUE(picture.rect().contains(region));
    ASSERT_EQ(region.size(), ticked.size());
    const QRect& same = flags[n] ? ticked : unticked;
    const QRect& other = flags[n] ? unticked : ticked;
    EXPECT_LE(differing_pixels(picture, region, picture, same.topLeft()), 2);
    EXPECT_GE(differing_pixels(picture, region, picture, other.topLeft()), 6);
    // The number beside the tick is drawn too.
    const QRect number(region.right() + 1, region.top(),
                       dialog.point_box(n)->geometry().right() - region.right(), region.height());
    EXPECT_GT(ink_pixels(picture, number), 4);
  }
}

TEST(ScreenshotTest, TheLanguageEditorPaintsEachCellInItsGreyWithItsWord) {
  // A small probe-heads table: measurement names as nicknames, the probe
  // heads beside them.
  basics::sprachen heads;
  heads.clear();
  heads.set_wort(0, 1, QStringLiteral("Probe head"));
  for (const auto& [measurement, probe_head] :
       {std::pair{"coater_top", "Kopf S\u00fcd"}, std::pair{"coater_bottom", "PH-2"},
        std::pair{"", ""}}) {
    heads.anzahl_vokabeln_plus();
    heads.set_wort(heads.anzahl_vokabeln() - 1, 0, QString::fromUtf8(measurement));
    heads.set_wort(heads.anzahl_vokabeln() - 1, 1, QString::fromUtf8(probe_head));
  }
  Tlanguage_editor_form editor;
  editor.set_words(heads);
  editor.show();
  editor.select_grid_cell(3, 2);  // PH-2
  editor.file_label->setText(QStringLiteral("DORNIK_probeheads.bin"));
  const QImage picture = render(editor, QStringLiteral("language_editor.png"));
  editor.save_question = false;
  EXPECT_EQ(picture.size(), QSize(606, 553));

  // Each data cell is filled with its grey (inverted while selected) and
  // shows its word; the empty row shows none. The selected cell writes its
  // word in the cell's own grey on the inverted one, too close in shade for
  // the ink count, so only its fill is checked.
  enum class word { drawn, none, unchecked };
  struct cell_case {
    int r, c;
    int grey;
    word text;
  };
  const cell_case cells[] = {
      {1, 1, 90, word::drawn}, {1, 2, 90, word::drawn},
      {2, 1, 90, word::drawn}, {2, 2, 120, word::drawn},
      {3, 1, 90, word::drawn}, {3, 2, 255 - 120, word::unchecked},  // selected
      {4, 1, 90, word::none},  {4, 2, 120, word::none},
  };
  for (const cell_case& c : cells) {
    SCOPED_TRACE(std::to_string(c.r) + "," + std::to_string(c.c));
    const QRect in_view = editor.grid1->visualRect(editor.grid_model->index(c.r - 1, c.c - 1));
    const QRect cell(editor.grid1->viewport()->mapTo(&editor, in_view.topLeft()), in_view.size());
    ASSERT_TRUE(picture.rect().contains(cell));
    EXPECT_EQ(QColor(picture.pixel(cell.right() - 2, cell.bottom() - 1)),
              QColor(c.grey, c.grey, c.grey));
    if (c.text != word::unchecked) {
      EXPECT_EQ(ink_pixels(picture, cell) > kNoise, c.text == word::drawn);
    }
  }
  // The fixed row and column name the columns and number the rows.
  QHeaderView* title_row = editor.grid1->horizontalHeader();
  const QRect first_title(title_row->mapTo(&editor, QPoint(0, 0)),
                          QSize(title_row->sectionSize(0), title_row->height()));
  EXPECT_GT(ink_pixels(picture, first_title), kNoise);
  QHeaderView* title_column = editor.grid1->verticalHeader();
  const QRect first_number(title_column->mapTo(&editor, QPoint(0, 0)),
                           QSize(title_column->width(), title_column->sectionSize(0)));
  EXPECT_GT(ink_pixels(picture, first_number), 4);
  editor.release_words();
}

}  // namespace
