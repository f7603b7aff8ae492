#pragma once

// The language editor's grid: a table view of the language_grid_model with
// a fixed title row and column, cells painted as the editor paints them,
// and mouse presses and drops reported for the form's handlers.

#include <QPoint>
#include <QStyledItemDelegate>
#include <QTableView>

#include <functional>

class QMimeData;

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

// The grid: a table view that reports mouse presses and drops on its cells
// to whoever wires it (the form's handlers), and drags the text of the cell
// pressed.
class language_grid : public QTableView {
  Q_OBJECT

 public:
  // The width of the fixed title column, in pixels.
  static constexpr int kFixedColumnWidth = 30;

  explicit language_grid(QWidget* parent);

  // The grid cell (row, column) under a point of the viewport, the fixed
  // title row and column counting as 0; (-1, -1) outside every cell.
  QPoint grid_cell_at(const QPoint& position) const;

  // The data of a drag of `text` from this grid: the text for other
  // programs, and a mark that only this grid's drops accept.
  QMimeData* cell_drag_data(const QString& text) const;

  // Whether a drag of this grid's own may be dropped here; every one while
  // unset. Drags from elsewhere are never taken: the drop stores the text
  // of the grid's last press, which has nothing to do with them.
  std::function<bool()> accepts_drop;

 signals:
  // A mouse press on grid cell (r, c); (0, 0) on the title row or column,
  // (-1, -1) below the last row or right of the last column.
  void cell_pressed(int r, int c);
  // A drop on grid cell (r, c), numbered as for cell_pressed.
  void cell_dropped(int r, int c);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  bool may_accept_drop(const QDropEvent* event) const;
  // The mark of this grid's own drags in their data.
  QByteArray drag_mark() const;

  QPoint press_position_;
  bool may_drag_ = false;
};
