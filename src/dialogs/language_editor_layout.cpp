// The language editor's controls, where the form puts them, and the grid's rows,
// columns and current cell in the grid's own numbering.

#include <QItemSelectionModel>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/form_font.h"
#include "dialogs/language_editor_unit.h"

namespace {

const QColor kPanelGrey(128, 128, 128);
const QColor kTeal(0, 128, 128);

QFont face(const QString& family, int pixel_size) {
  QFont font(family);
  font.setPixelSize(pixel_size);
  return font;
}

void paint_background(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, colour);
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setGeometry(geometry);
  // Enter belongs to the memos and the grid, not to whichever button a
  // dialog would make its default.
  b->setAutoDefault(false);
  return b;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, const QPoint& position) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QString::fromLatin1(name));
  l->move(position);
  return l;
}

QPlainTextEdit* memo(QWidget* parent, const char* name, const QRect& geometry) {
  auto* m = new QPlainTextEdit(parent);
  m->setObjectName(QString::fromLatin1(name));
  m->setGeometry(geometry);
  // Only the grid takes drops: a grid cell dragged here would land in the
  // memo and, when it is left, in the word.
  m->setAcceptDrops(false);
  return m;
}

}  // namespace

void Tlanguage_editor_form::build_layout() {
  setObjectName(QStringLiteral("language_editor_form"));
  setWindowTitle(QStringLiteral("Language editor"));
  setWindowFlag(Qt::WindowMaximizeButtonHint);
  setFont(form_font());
  resize(606, 553);

  Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFixedHeight(225);
  paint_background(Panel1, kPanelGrey);

  Panel2 = new QWidget(Panel1);
  Panel2->setObjectName(QStringLiteral("Panel2"));
  Panel2->setGeometry(0, 0, 606, 24);
  paint_background(Panel2, kTeal);
  load_button = button(Panel2, "load_button", QStringLiteral("Load"), {6, 2, 60, 20});
  Save_button = button(Panel2, "Save_button", QStringLiteral("Save"), {72, 2, 60, 20});
  saveas_button = button(Panel2, "saveas_button", QStringLiteral("Save as"), {138, 2, 60, 20});
  Button10 = button(Panel2, "Button10", QStringLiteral("Sort"), {232, 2, 60, 20});
  file_label = label(Panel2, "file_label", QString(), {320, 4});
  file_label->resize(280, 16);

  Label2 = label(Panel1, "Label2", QStringLiteral("Language editor"), {20, 31});
  Label2->setFont(face(QStringLiteral("Comic Sans MS"), 24));
  Label2->setStyleSheet(QStringLiteral("color: yellow;"));
  Label2->resize(295, 36);
  Button4 = button(Panel1, "Button4", QStringLiteral("New language"), {321, 41, 153, 25});
  Button8 = button(Panel1, "Button8", QStringLiteral("Translation test"), {498, 41, 96, 25});

  const QFont times = times_font(16);
  Label3 = label(Panel1, "Label3", QStringLiteral("Word"), {40, 79});
  Label3->setFont(times);
  Label3->adjustSize();
  word_index_label = label(Panel1, "word_index_label", QStringLiteral("---"), {81, 104});
  word_index_label->resize(50, 16);

  dec_language1 = button(Panel1, "dec_language1", QStringLiteral("<"), {137, 72, 33, 26});
  language1_label = label(Panel1, "language1_label", QString(), {193, 72});
  language1_label->setFont(times);
  language1_label->resize(125, 22);
  inc_language1 = button(Panel1, "inc_language1", QStringLiteral(">"), {321, 73, 33, 25});
  Memo1 = memo(Panel1, "Memo1", {137, 104, 217, 74});

  dec_language2 = button(Panel1, "dec_language2", QStringLiteral("<"), {377, 73, 33, 25});
  language2_label = label(Panel1, "language2_label", QString(), {433, 72});
  language2_label->setFont(times);
  language2_label->resize(125, 22);
  inc_language2 = button(Panel1, "inc_language2", QStringLiteral(">"), {561, 73, 33, 25});
  Memo2 = memo(Panel1, "Memo2", {377, 104, 217, 74});

  Button1 = button(Panel1, "Button1", QStringLiteral("Prev"), {11, 104, 33, 33});
  Button2 = button(Panel1, "Button2", QStringLiteral("Next"), {11, 143, 33, 35});
  Button3 = button(Panel1, "Button3", QStringLiteral("New word"), {50, 124, 81, 18});
  Button9 = button(Panel1, "Button9", QStringLiteral("Delete word"), {50, 142, 81, 18});
  Button11 = button(Panel1, "Button11", QStringLiteral("Duplicate word"), {50, 160, 81, 18});
  Button5 = button(Panel1, "Button5", QStringLiteral("Import from textfile (tab separated)"),
                   {3, 184, 193, 25});
  Button7 = button(Panel1, "Button7", QStringLiteral("Append from textfile (tab separated)"),
                   {202, 184, 193, 25});
  Button6 = button(Panel1, "Button6", QStringLiteral("Export to textfile (tab separated)"),
                   {401, 184, 193, 25});

  grid1 = new language_grid(this);
  QPalette grey = grid1->palette();
  grey.setColor(QPalette::Base, kPanelGrey);
  grid1->setPalette(grey);
  grid_model = new language_grid_model(this);
  grid1->setModel(grid_model);
  grid1->setItemDelegate(new language_cell_delegate(this));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(Panel1);
  layout->addWidget(grid1, 1);
}

// ---- The grid's rows, columns and current cell ----------------------------------

int Tlanguage_editor_form::grid_row_count() const {
  return grid_model->rowCount() + 1;
}

int Tlanguage_editor_form::grid_column_count() const {
  return grid_model->columnCount() + 1;
}

void Tlanguage_editor_form::select_grid_cell(int r, int c) {
  const QModelIndex index = grid_model->index(r - 1, c - 1);
  if (!index.isValid()) return;
  grid1->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

QPoint Tlanguage_editor_form::current_grid_cell() const {
  const QModelIndex current = grid1->currentIndex();
  if (!current.isValid()) return {0, 0};
  return {current.column() + 1, current.row() + 1};
}

void Tlanguage_editor_form::grid_follows_word() {
  select_grid_cell(word_index + 1, language2 + 1);
}
