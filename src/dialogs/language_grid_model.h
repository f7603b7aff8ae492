#pragma once

// The language editor's table as its grid shows it. Grid cell (r, c) with
// r, c >= 1 is model cell (r - 1, c - 1), i.e. table row r - 1, column
// c - 1; the grid's fixed title row and column (r or c = 0) are the view's
// headers. The model reads and writes the table itself and knows nothing of
// the form: an edit made in the grid is announced by cell_edited.

#include <QAbstractTableModel>
#include <QColor>
#include <QString>

#include "basics/sprachen.h"

class language_grid_model : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit language_grid_model(QObject* parent = nullptr);

  // The table shown; nullptr for none. The rows and columns follow only on
  // follow_table().
  basics::sprachen* table() const { return table_; }
  void set_table(basics::sprachen* table) { table_ = table; }

  // Brings rows and columns in line with the table and repaints every cell;
  // rows and columns are added or taken away at the end, so the current
  // cell stays where it was while it still exists.
  void follow_table();

  // The grid's texts and colours, in grid rows and columns (0 = the fixed
  // title ones); "" outside the table.
  QString column_name(int i) const;
  QString row_name(int i) const;
  QString cell_name(int r, int c) const;
  static QColor cell_color(int r, int c);
  // Stores `value` in data cell (r, c) of the table; false, nothing stored,
  // for a title cell or with no table.
  bool set_cell(int r, int c, const QString& value);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  // An edit in the grid: stored at once, then announced by cell_edited.
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 signals:
  // Data cell (r, c), in grid rows and columns, was edited in the grid.
  void cell_edited(int r, int c);

 private:
  basics::sprachen* table_ = nullptr;
  int rows_ = 0;
  int columns_ = 0;
};
