#include "dialogs/language_grid_model.h"

language_grid_model::language_grid_model(QObject* parent) : QAbstractTableModel(parent) {}

QString language_grid_model::column_name(int i) const {
  if (table_ == nullptr || i < 1 || i > table_->anzahl_sprachen()) return {};
  return table_->wort(0, i - 1);
}

QString language_grid_model::row_name(int i) const {
  if (table_ == nullptr || i < 1 || i > table_->anzahl_vokabeln()) return {};
  return QStringLiteral("%1").arg(i - 1, 3);
}

QString language_grid_model::cell_name(int r, int c) const {
  if (table_ == nullptr || r < 1 || c < 1) return {};
  return table_->wort(r - 1, c - 1);
}

QColor language_grid_model::cell_color(int r, int c) {
  if (r == 0 || c == 0) return QColor(140, 140, 140);
  if (r == 1 || c == 1) return QColor(90, 90, 90);
  return QColor(120, 120, 120);
}

bool language_grid_model::set_cell(int r, int c, const QString& value) {
  // A cell editor still open when the editor lets go of the table commits
  // late; there is no table to store it in then.
  if (table_ == nullptr || r < 1 || c < 1) return false;
  table_->set_wort(r - 1, c - 1, value);
  return true;
}

int language_grid_model::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int language_grid_model::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : columns_;
}

QVariant language_grid_model::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int r = index.row() + 1;
  const int c = index.column() + 1;
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return cell_name(r, c);
    case Qt::BackgroundRole:
      return cell_color(r, c);
    default:
      return {};
  }
}

bool language_grid_model::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole) return false;
  const int r = index.row() + 1;
  const int c = index.column() + 1;
  if (!set_cell(r, c, value.toString())) return false;
  emit cell_edited(r, c);
  return true;
}

QVariant language_grid_model::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role == Qt::TextAlignmentRole) return int(Qt::AlignLeft | Qt::AlignTop);
  if (role != Qt::DisplayRole) return {};
  return orientation == Qt::Horizontal ? column_name(section + 1) : row_name(section + 1);
}

Qt::ItemFlags language_grid_model::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

void language_grid_model::follow_table() {
  const int rows = table_ ? table_->anzahl_vokabeln() : 0;
  const int columns = table_ ? table_->anzahl_sprachen() : 0;
  if (rows > rows_) {
    beginInsertRows({}, rows_, rows - 1);
    rows_ = rows;
    endInsertRows();
  } else if (rows < rows_) {
    beginRemoveRows({}, rows, rows_ - 1);
    rows_ = rows;
    endRemoveRows();
  }
  if (columns > columns_) {
    beginInsertColumns({}, columns_, columns - 1);
    columns_ = columns;
    endInsertColumns();
  } else if (columns < columns_) {
    beginRemoveColumns({}, columns, columns_ - 1);
    columns_ = columns;
    endRemoveColumns();
  }
  if (rows_ > 0 && columns_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1));
  if (columns_ > 0) emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
  if (rows_ > 0) emit headerDataChanged(Qt::Vertical, 0, rows_ - 1);
}
