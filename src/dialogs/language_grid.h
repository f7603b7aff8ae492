#pragma once

// The language editor's grid: a table view of the language_grid_model with
// a fixed title row and column, cells painted as the editor paints them,
// and mouse presses, drags and drops handed to the form's handlers.

#include <QPoint>
#include <QStyledItemDelegate>
#include <QTableView>

class Tlanguage_editor_form;

// Paints a data cell in its model colour with its text 2 pixels from the
// left at the top, inverted while selected, and edits it in place with a
// line edit that starts with the cell's text.
class language_cell_delegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  explicit language_cell_delegate(QObject* parent);

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
};

// The grid: a table view that hands mouse presses, drags and drops to the
// form's handlers.
class language_grid : public QTableView {
  Q_OBJECT

 public:
  // The width of the fixed title column, in pixels.
  static constexpr int kFixedColumnWidth = 30;

  explicit language_grid(Tlanguage_editor_form* form);

  // The grid cell (row, column) under a point of the viewport, the fixed
  // title row and column counting as 0; (-1, -1) outside every cell.
  QPoint grid_cell_at(const QPoint& position) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  Tlanguage_editor_form* form_;
  QPoint press_position_;
  bool may_drag_ = false;
};
