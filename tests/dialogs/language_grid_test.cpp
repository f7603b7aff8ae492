// The language editor's grid: names and colours of its cells, choosing a
// cell, editing one in place, and dragging a word from cell to cell.

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include "language_editor_site.h"

namespace {

using basics::vokabel_liste;
using test_support::cell_centre;
using test_support::editor_on;
using test_support::kWords;

class LanguageGridTest : public test_support::LanguageEditorTest {};

TEST_F(LanguageGridTest, GridNamesAndColoursFollowTheFixedRowAndColumn) {
  editor_on e(kWords);
  struct cell_case {
    int r, c;
    int grey;
    QString name;
  };
  const cell_case cells[] = {
      {0, 0, 140, ""},        {0, 2, 140, ""},       {3, 0, 140, ""},
      {1, 1, 90, "Nickname"}, {1, 3, 90, "Deutsch"}, {4, 1, 90, "c1"},
      {2, 2, 120, "house"},   {4, 3, 120, "Katze"},  {5, 2, 120, ""},  // below the table
      {2, 4, 120, ""},                                                 // right of it
  };
  for (const cell_case& c : cells) {
    SCOPED_TRACE(std::to_string(c.r) + "," + std::to_string(c.c));
    EXPECT_EQ(e->cell_color(c.r, c.c), QColor(c.grey, c.grey, c.grey));
    EXPECT_EQ(e->cell_name(c.r, c.c), c.name);
  }
  EXPECT_EQ(e->column_name(1), "Nickname");
  EXPECT_EQ(e->column_name(4), "");
  EXPECT_EQ(e->row_name(1), "  0");
  EXPECT_EQ(e->row_name(4), "  3");
  EXPECT_EQ(e->row_name(5), "");
  // The grid shows them: headers carry the fixed row and column.
  EXPECT_EQ(e->grid_model->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "Deutsch");
  EXPECT_EQ(e->grid_model->headerData(0, Qt::Vertical, Qt::DisplayRole).toString(), "  0");
  EXPECT_EQ(e->grid1->verticalHeader()->width(), 30);
  EXPECT_EQ(e->grid1->horizontalHeader()->sectionSize(0), (e->grid1->width() - 30 - 16) / 3 - 3);
}

TEST_F(LanguageGridTest, SelectingGridCell32MakesWord2CurrentWithColumn1OnTheRight) {
  editor_on e(kWords);
  QTest::mouseClick(e->grid1->viewport(), Qt::LeftButton, {}, cell_centre(*e.editor, 3, 2));
  EXPECT_EQ(e->word_index, 2);
  EXPECT_EQ(e->language2, 1);
  EXPECT_EQ(e->language1, 0);
  EXPECT_EQ(e->Memo1->toPlainText(), "t1");
  EXPECT_EQ(e->Memo2->toPlainText(), "tree");
  EXPECT_EQ(e->current_grid_cell(), QPoint(2, 3));
}

TEST_F(LanguageGridTest, EditingACellInPlaceStoresItAtOnce) {
  editor_on e(kWords);
  const QModelIndex cell = e->grid_model->index(2, 2);  // grid cell (3, 3): "Baum"
  e->grid1->setCurrentIndex(cell);
  e->grid1->edit(cell);
  auto* line = e->grid1->viewport()->findChild<QLineEdit*>();
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->text(), "Baum");  // editing starts with the word
  line->setText("Eiche");
  QTest::keyClick(line, Qt::Key_Return);
  QCoreApplication::processEvents();  // the view commits on its next turn
  EXPECT_EQ(e.words.wort(2, 2), "Eiche");
  EXPECT_EQ(e->Memo2->toPlainText(), "Eiche");  // shown at once
}

// Sends a drag carrying `mime` onto `target` of the viewport and drops it
// there, as the operator's mouse would.
void drop_at(Tlanguage_editor_form& editor, const QPoint& target, const QMimeData& mime) {
  QDragEnterEvent enter(target, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(editor.grid1->viewport(), &enter);
  QDropEvent drop(QPointF(target), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(editor.grid1->viewport(), &drop);
}

// The same with a drag of the grid's own.
void drop_at(Tlanguage_editor_form& editor, const QPoint& target) {
  const std::unique_ptr<QMimeData> mime(editor.grid1->cell_drag_data(editor.drag_text));
  drop_at(editor, target, *mime);
}

TEST_F(LanguageGridTest, DraggingFromOneDataCellToAnotherCopiesTheText) {
  editor_on e(kWords);
  QWidget* viewport = e->grid1->viewport();
  QTest::mousePress(viewport, Qt::LeftButton, {}, cell_centre(*e.editor, 2, 3));  // "Haus"
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, cell_centre(*e.editor, 2, 3));
  EXPECT_EQ(e->drag_text, "Haus");
  drop_at(*e.editor, cell_centre(*e.editor, 4, 2));  // onto "cat"
  EXPECT_EQ(e.words.wort(3, 1), "Haus");

  // A drop below the last row changes nothing.
  const QRect last = e->grid1->visualRect(e->grid_model->index(3, 1));
  const vokabel_liste before = e.words.meine_liste();
  drop_at(*e.editor, last.center() + QPoint(0, 3 * last.height()));
  EXPECT_EQ(e.words.meine_liste(), before);
}

TEST_F(LanguageGridTest, DropsComeOnlyFromTheGridsOwnDragsAndOnlyOntoTheGrid) {
  editor_on e(kWords);
  QWidget* viewport = e->grid1->viewport();
  QTest::mousePress(viewport, Qt::LeftButton, {}, cell_centre(*e.editor, 2, 3));  // "Haus"
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, cell_centre(*e.editor, 2, 3));
  const vokabel_liste before = e.words.meine_liste();

  // Another program's text, and a drag marked by another grid.
  QMimeData foreign_text;
  foreign_text.setText("from elsewhere");
  drop_at(*e.editor, cell_centre(*e.editor, 4, 2), foreign_text);
  language_grid other(nullptr);
  const std::unique_ptr<QMimeData> other_grids(other.cell_drag_data("from another grid"));
  drop_at(*e.editor, cell_centre(*e.editor, 4, 2), *other_grids);
  EXPECT_EQ(e.words.meine_liste(), before);

  EXPECT_FALSE(e->Memo1->acceptDrops());
  EXPECT_FALSE(e->Memo2->acceptDrops());
}

TEST_F(LanguageGridTest, APressOutsideTheDataCellsTakesTheEmptyText) {
  editor_on e(kWords);
  QWidget* viewport = e->grid1->viewport();
  const QRect last = e->grid1->visualRect(e->grid_model->index(3, 1));
  const QPoint below = last.center() + QPoint(0, 3 * last.height());
  const int on_header = e->grid1->horizontalHeader()->sectionViewportPosition(0) + 5;
  struct press_case {
    const char* name;
    QWidget* widget;
    QPoint position;
  };
  const press_case presses[] = {
      {"below the last row", viewport, below},
      {"on the title row", e->grid1->horizontalHeader()->viewport(), QPoint(on_header, 5)},
      {"on the title column", e->grid1->verticalHeader()->viewport(), QPoint(5, 5)},
  };
  for (const press_case& c : presses) {
    SCOPED_TRACE(c.name);
    e->drag_text = "stale";
    QTest::mousePress(c.widget, Qt::LeftButton, {}, c.position);
    QTest::mouseRelease(c.widget, Qt::LeftButton, {}, c.position);
    EXPECT_EQ(e->drag_text, "");
  }
}

}  // namespace
