#include "dialogs/language_grid.h"

#include <QApplication>
#include <QDrag>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

#include "dialogs/form_font.h"

// ---- The grid's cells ----------------------------------------------------------

language_cell_delegate::language_cell_delegate(QObject* parent) : QStyledItemDelegate(parent) {}

void language_cell_delegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
  const QColor fill = index.data(Qt::BackgroundRole).value<QColor>();
  const bool selected = option.state.testFlag(QStyle::State_Selected);
  painter->save();
  // A selected cell shows inverted, its text in the cell's own colour.
  painter->fillRect(
      option.rect,
      selected ? QColor(255 - fill.red(), 255 - fill.green(), 255 - fill.blue()) : fill);
  painter->setPen(selected ? fill : QColor(Qt::black));
  painter->setFont(option.font);
  painter->drawText(option.rect.adjusted(2, 0, 0, 0),
                    Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                    index.data(Qt::DisplayRole).toString());
  painter->restore();
}

void language_cell_delegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  // Editing starts with the cell's word (grid1GetEditText).
  if (auto* line = qobject_cast<QLineEdit*>(editor)) {
    line->setText(index.data(Qt::EditRole).toString());
    return;
  }
  QStyledItemDelegate::setEditorData(editor, index);
}

// ---- The grid -------------------------------------------------------------------

namespace {

constexpr int kRowHeight = 18;

}  // namespace

language_grid::language_grid(QWidget* parent) : QTableView(parent) {
  setObjectName(QStringLiteral("grid1"));
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setFont(tahoma_font(11));

  const QString fixed_style = QStringLiteral(
      "QHeaderView { background-color: rgb(128, 128, 128); } QHeaderView::section { "
      "background-color: rgb(192, 192, 192); color: black;"
      " border: 0px; border-right: 1px solid gray; border-bottom: 1px solid gray;"
      " padding-left: 2px; }");
  for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
    header->setStyleSheet(fixed_style);
    header->setSectionsClickable(false);
    header->setMinimumSectionSize(1);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignTop);
    header->viewport()->installEventFilter(this);
  }
  horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setFixedHeight(kRowHeight);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(kRowHeight);
  verticalHeader()->setFixedWidth(kFixedColumnWidth);
}

QPoint language_grid::grid_cell_at(const QPoint& position) const {
  const QModelIndex index = indexAt(position);
  if (!index.isValid()) return {-1, -1};
  return {index.column() + 1, index.row() + 1};  // x: column, y: row
}

bool language_grid::eventFilter(QObject* watched, QEvent* event) {
  // A press on the title row or column is a press outside the data cells.
  if (event->type() == QEvent::MouseButtonPress) emit cell_pressed(0, 0);
  return QTableView::eventFilter(watched, event);
}

void language_grid::mousePressEvent(QMouseEvent* event) {
  QTableView::mousePressEvent(event);
  const QPoint cell = grid_cell_at(event->position().toPoint());
  emit cell_pressed(cell.y(), cell.x());
  press_position_ = event->position().toPoint();
  // With Shift held the mouse extends the range selection instead.
  may_drag_ = event->button() == Qt::LeftButton && cell.y() >= 1 &&
              !event->modifiers().testFlag(Qt::ShiftModifier);
}

void language_grid::mouseMoveEvent(QMouseEvent* event) {
  if (may_drag_ && event->buttons().testFlag(Qt::LeftButton) &&
      (event->position().toPoint() - press_position_).manhattanLength() >=
          QApplication::startDragDistance()) {
    may_drag_ = false;
    auto* drag = new QDrag(this);
    drag->setMimeData(cell_drag_data(indexAt(press_position_).data(Qt::DisplayRole).toString()));
    drag->exec(Qt::CopyAction);
    return;
  }
  if (!may_drag_) QTableView::mouseMoveEvent(event);
}

void language_grid::mouseReleaseEvent(QMouseEvent* event) {
  may_drag_ = false;
  QTableView::mouseReleaseEvent(event);
}

namespace {

const QString kCellDragFormat = QStringLiteral("application/x-language-grid-cell");

}  // namespace

QByteArray language_grid::drag_mark() const {
  // Another program's drag, or another editor's, cannot carry this.
  return QByteArray::number(QCoreApplication::applicationPid()) + ':' +
         QByteArray::number(reinterpret_cast<quintptr>(this), 16);
}

QMimeData* language_grid::cell_drag_data(const QString& text) const {
  auto* mime = new QMimeData;
  mime->setText(text);
  mime->setData(kCellDragFormat, drag_mark());
  return mime;
}

bool language_grid::may_accept_drop(const QDropEvent* event) const {
  const QMimeData* mime = event->mimeData();
  return mime != nullptr && mime->data(kCellDragFormat) == drag_mark() &&
         (!accepts_drop || accepts_drop());
}

void language_grid::dragEnterEvent(QDragEnterEvent* event) {
  if (may_accept_drop(event)) event->acceptProposedAction();
}

void language_grid::dragMoveEvent(QDragMoveEvent* event) {
  if (may_accept_drop(event)) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void language_grid::dropEvent(QDropEvent* event) {
  if (!may_accept_drop(event)) {
    event->ignore();
    return;
  }
  const QPoint cell = grid_cell_at(event->position().toPoint());
  emit cell_dropped(cell.y(), cell.x());
  event->acceptProposedAction();
}
