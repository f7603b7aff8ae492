#include "dialogs/language_editor_unit.h"

#include <QApplication>
#include <QDrag>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "basics/error.h"
#include "dialogs/file_dialogs.h"
#include "dialogs/form_font.h"
#include "platform/operator_prompts.h"

namespace {

const QString kWordListFilter = QStringLiteral("Word list|*.bin");
const QString kWordListSuffix = QStringLiteral("bin");
const QString kImportFilter = QStringLiteral("Testfile|*.txt");
const QString kExportFilter = QStringLiteral("Textfile|*.txt");
const QString kTextSuffix = QStringLiteral("txt");

constexpr int kFixedColumnWidth = 30;
constexpr int kScrollBarAllowance = 16;
constexpr int kRowHeight = 18;

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
  return m;
}

}  // namespace

// ---- The grid's model ---------------------------------------------------------

language_grid_model::language_grid_model(Tlanguage_editor_form* form)
    : QAbstractTableModel(form), form_(form) {}

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
      return form_->cell_name(r, c);
    case Qt::BackgroundRole:
      return form_->cell_color(r, c);
    default:
      return {};
  }
}

bool language_grid_model::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole) return false;
  form_->grid1SetEditText(index.row() + 1, index.column() + 1, value.toString());
  return true;
}

QVariant language_grid_model::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role == Qt::TextAlignmentRole) return int(Qt::AlignLeft | Qt::AlignTop);
  if (role != Qt::DisplayRole) return {};
  return orientation == Qt::Horizontal ? form_->column_name(section + 1)
                                       : form_->row_name(section + 1);
}

Qt::ItemFlags language_grid_model::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

void language_grid_model::follow_table() {
  const basics::sprachen* table = form_->my_words();
  const int rows = table ? table->anzahl_vokabeln() : 0;
  const int columns = table ? table->anzahl_sprachen() : 0;
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

// ---- The grid's cells ----------------------------------------------------------

language_cell_delegate::language_cell_delegate(Tlanguage_editor_form* form)
    : QStyledItemDelegate(form), form_(form) {}

void language_cell_delegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
  const int r = index.row() + 1;
  const int c = index.column() + 1;
  const QColor fill = form_->cell_color(r, c);
  const bool selected = option.state.testFlag(QStyle::State_Selected);
  painter->save();
  // A selected cell shows inverted, its text in the cell's own colour.
  painter->fillRect(
      option.rect,
      selected ? QColor(255 - fill.red(), 255 - fill.green(), 255 - fill.blue()) : fill);
  painter->setPen(selected ? fill : QColor(Qt::black));
  painter->setFont(option.font);
  painter->drawText(option.rect.adjusted(2, 0, 0, 0),
                    Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, form_->cell_name(r, c));
  painter->restore();
}

void language_cell_delegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  // Editing starts with the cell's word (grid1GetEditText).
  if (auto* line = qobject_cast<QLineEdit*>(editor)) {
    line->setText(form_->cell_name(index.row() + 1, index.column() + 1));
    return;
  }
  QStyledItemDelegate::setEditorData(editor, index);
}

// ---- The grid -------------------------------------------------------------------

language_grid::language_grid(Tlanguage_editor_form* form) : QTableView(form), form_(form) {
  setObjectName(QStringLiteral("grid1"));
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setFont(tahoma_font(11));
  QPalette grey = palette();
  grey.setColor(QPalette::Base, kPanelGrey);
  setPalette(grey);

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
  if (event->type() == QEvent::MouseButtonPress) form_->grid1MouseDown(0, 0);
  return QTableView::eventFilter(watched, event);
}

void language_grid::mousePressEvent(QMouseEvent* event) {
  QTableView::mousePressEvent(event);
  const QPoint cell = grid_cell_at(event->position().toPoint());
  form_->grid1MouseDown(cell.y(), cell.x());
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
    auto* mime = new QMimeData;
    mime->setText(form_->drag_text);
    drag->setMimeData(mime);
    drag->exec(Qt::CopyAction);
    return;
  }
  if (!may_drag_) QTableView::mouseMoveEvent(event);
}

void language_grid::mouseReleaseEvent(QMouseEvent* event) {
  may_drag_ = false;
  QTableView::mouseReleaseEvent(event);
}

void language_grid::dragEnterEvent(QDragEnterEvent* event) {
  if (form_->grid1DragOver()) event->acceptProposedAction();
}

void language_grid::dragMoveEvent(QDragMoveEvent* event) {
  if (form_->grid1DragOver()) event->acceptProposedAction();
}

void language_grid::dropEvent(QDropEvent* event) {
  const QPoint cell = grid_cell_at(event->position().toPoint());
  form_->grid1DragDrop(cell.y(), cell.x());
  event->acceptProposedAction();
}

// ---- The form ---------------------------------------------------------------------

Tlanguage_editor_form::Tlanguage_editor_form(QWidget* parent) : QDialog(parent) {
  build_layout();
  wire();
  FormCreate();
}

Tlanguage_editor_form::~Tlanguage_editor_form() {
  // Leaving a memo while the children go would store into a table that may
  // be gone already.
  Memo1->removeEventFilter(this);
  Memo2->removeEventFilter(this);
  FormDestroy();
}

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

  const QFont times = face(QStringLiteral("Times New Roman"), 16);
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
  grid_model = new language_grid_model(this);
  grid1->setModel(grid_model);
  grid1->setItemDelegate(new language_cell_delegate(this));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(Panel1);
  layout->addWidget(grid1, 1);
}

template <typename Step>
void Tlanguage_editor_form::guarded(Step&& step) {
  try {
    step();
  } catch (const basics::error& e) {
    platform::prompts().show_message(e.text());
  } catch (const std::exception& e) {
    platform::prompts().show_message(QString::fromLocal8Bit(e.what()));
  }
}

void Tlanguage_editor_form::wire() {
  const auto on_click = [this](QPushButton* b, void (Tlanguage_editor_form::*handler)()) {
    connect(b, &QPushButton::clicked, this,
            [this, handler] { guarded([&] { (this->*handler)(); }); });
  };
  on_click(load_button, &Tlanguage_editor_form::load_buttonClick);
  on_click(Save_button, &Tlanguage_editor_form::Save_buttonClick);
  connect(saveas_button, &QPushButton::clicked, this,
          [this] { guarded([&] { saveas_buttonClick(); }); });
  on_click(Button10, &Tlanguage_editor_form::Button10Click);
  on_click(Button4, &Tlanguage_editor_form::Button4Click);
  on_click(Button8, &Tlanguage_editor_form::Button8Click);
  on_click(Button1, &Tlanguage_editor_form::Button1Click);
  on_click(Button2, &Tlanguage_editor_form::Button2Click);
  on_click(dec_language1, &Tlanguage_editor_form::dec_language1Click);
  on_click(inc_language1, &Tlanguage_editor_form::inc_language1Click);
  on_click(dec_language2, &Tlanguage_editor_form::dec_language2Click);
  on_click(inc_language2, &Tlanguage_editor_form::inc_language2Click);
  on_click(Button3, &Tlanguage_editor_form::Button3Click);
  on_click(Button11, &Tlanguage_editor_form::Button11Click);
  on_click(Button9, &Tlanguage_editor_form::Button9Click);
  on_click(Button5, &Tlanguage_editor_form::Button5Click);
  on_click(Button7, &Tlanguage_editor_form::Button7Click);
  on_click(Button6, &Tlanguage_editor_form::Button6Click);
  Memo1->installEventFilter(this);
  Memo2->installEventFilter(this);
  connect(grid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (selecting_ || !current.isValid()) return;
            grid1SelectCell(current.row() + 1, current.column() + 1);
          });
}

void Tlanguage_editor_form::FormCreate() {
  save_question = true;
  own_words_ = std::make_unique<basics::sprachen>();
  my_words_ = own_words_.get();
  word_index = 0;
  language1 = 0;
  language2 = 1;
  refresh_display();
}

void Tlanguage_editor_form::FormDestroy() {
  if (my_words_ == nullptr) return;
  // Words typed into a memo count even when the editor closes before the
  // memo was left.
  save_vocabulary();
  // A save that is cancelled or fails asks again, so the words are never
  // dropped without the operator saying No.
  while (save_question &&
         platform::prompts().ask_yes_no(QStringLiteral("\u00b4Closing language editor"),
                                        QStringLiteral("Save word list?"))) {
    bool saved = false;
    guarded([&] { saved = saveas_buttonClick(); });
    if (saved) break;
  }
}

void Tlanguage_editor_form::set_words(basics::sprachen& words) {
  my_words_ = &words;
  own_words_.reset();
  refresh_display();
}

void Tlanguage_editor_form::release_words() {
  my_words_ = nullptr;
  grid_model->follow_table();
}

void Tlanguage_editor_form::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  Panel2->resize(Panel1->width(), Panel2->height());
  refresh_display();
}

bool Tlanguage_editor_form::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    if (watched == Memo1) Memo1Exit();
    if (watched == Memo2) Memo2Exit();
  }
  return QDialog::eventFilter(watched, event);
}

// ---- Named operations ----------------------------------------------------------------

QString Tlanguage_editor_form::column_name(int i) const {
  if (my_words_ == nullptr || i < 1 || i > my_words_->anzahl_sprachen()) return {};
  return my_words_->wort(0, i - 1);
}

QString Tlanguage_editor_form::row_name(int i) const {
  if (my_words_ == nullptr || i < 1 || i > my_words_->anzahl_vokabeln()) return {};
  return QStringLiteral("%1").arg(i - 1, 3);
}

QString Tlanguage_editor_form::cell_name(int r, int c) const {
  if (my_words_ == nullptr || r < 1 || c < 1) return {};
  return my_words_->wort(r - 1, c - 1);
}

QColor Tlanguage_editor_form::cell_color(int r, int c) const {
  if (r == 0 || c == 0) return QColor(140, 140, 140);
  if (r == 1 || c == 1) return QColor(90, 90, 90);
  return QColor(120, 120, 120);
}

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

void Tlanguage_editor_form::refresh_display() {
  if (my_words_ == nullptr) return;
  const int rows = my_words_->anzahl_vokabeln();
  const int columns = my_words_->anzahl_sprachen();
  // A table loaded, imported or shortened may no longer hold the current
  // word or languages; the display then shows the nearest ones, so the memos
  // always edit a cell that exists.
  word_index = std::clamp(word_index, 0, rows - 1);
  language1 = std::clamp(language1, 0, columns - 1);
  language2 = std::clamp(language2, 0, columns - 1);

  word_index_label->setText(QString::number(word_index));
  language1_label->setText(my_words_->wort(0, language1));
  language2_label->setText(my_words_->wort(0, language2));
  Memo1->setPlainText(my_words_->wort(word_index, language1));
  Memo2->setPlainText(my_words_->wort(word_index, language2));

  selecting_ = true;
  grid_model->follow_table();
  selecting_ = false;
  grid1->verticalHeader()->setFixedWidth(kFixedColumnWidth);
  const int width = std::max(
      1,
      (grid1->width() - kFixedColumnWidth - kScrollBarAllowance) / (grid_column_count() - 1) - 3);
  for (int c = 0; c < columns; ++c) grid1->horizontalHeader()->resizeSection(c, width);
  grid1->viewport()->update();
}

void Tlanguage_editor_form::save_vocabulary() {
  if (my_words_ == nullptr) return;
  my_words_->set_wort(word_index, language1, Memo1->toPlainText());
  my_words_->set_wort(word_index, language2, Memo2->toPlainText());
}

bool Tlanguage_editor_form::load_file(const QString& the_file) {
  if (!QFileInfo(the_file).isFile()) {
    platform::prompts().show_message(QStringLiteral("Error: File not found!\n\r") + the_file);
    return false;
  }
  bool loaded = false;
  try {
    loaded = my_words_->load_from_file(the_file);
  } catch (const basics::error& e) {
    platform::prompts().show_message(e.text() + QStringLiteral("\nThe word list is unchanged."));
    return false;
  }
  // Taking the path of a file that was not read would let "Save" overwrite
  // it with another table.
  if (!loaded) {
    platform::prompts().show_message(
        QStringLiteral("Error: %1 is too short to hold a word list.\nThe word list is unchanged.")
            .arg(the_file));
    return false;
  }
  file_label->setText(the_file);
  import_dialog_file_name = the_file;
  grid_model->follow_table();
  return true;
}

bool Tlanguage_editor_form::save_file(const QString& the_file) {
  try {
    my_words_->save_to_file(the_file);
  } catch (const basics::error& e) {
    platform::prompts().show_message(e.text() + QStringLiteral("\nThe word list was not saved."));
    return false;
  }
  file_label->setText(the_file);
  save_dialog_file_name = the_file;
  return true;
}

void Tlanguage_editor_form::set_title(const QString& new_title) {
  setWindowTitle(new_title);
  Label2->setText(new_title);
}

// ---- Handlers ---------------------------------------------------------------------------

void Tlanguage_editor_form::load_buttonClick() {
  const QString chosen = dialogs::file_choosers().open_file_name(
      this, kWordListFilter, kWordListSuffix, file_label->text());
  if (chosen.isEmpty()) return;
  load_file(chosen);
  refresh_display();
}

void Tlanguage_editor_form::Save_buttonClick() {
  // What the memos show is what gets saved, even when a memo was not left.
  save_vocabulary();
  // With no file loaded or saved yet there is nowhere to save to; asking
  // for a name beats a save that silently does nothing.
  if (file_label->text().isEmpty()) {
    saveas_buttonClick();
    return;
  }
  save_file(file_label->text());
}

bool Tlanguage_editor_form::saveas_buttonClick() {
  save_vocabulary();
  const QString chosen = dialogs::file_choosers().save_file_name(
      this, kWordListFilter, kWordListSuffix, save_dialog_file_name);
  if (chosen.isEmpty()) return false;
  return save_file(chosen);
}

void Tlanguage_editor_form::Button10Click() {
  my_words_->sort();
  refresh_display();
}

void Tlanguage_editor_form::Button4Click() {
  my_words_->anzahl_sprachen_plus();
  save_vocabulary();
  language2 = my_words_->anzahl_sprachen() - 1;
  refresh_display();
}

void Tlanguage_editor_form::Button8Click() {
  const QString german =
      platform::prompts().input_box(QStringLiteral("Translation test German-English"),
                                    QStringLiteral("Enter german word: "), QString());
  platform::prompts().show_message(my_words_->wort(my_words_->get_index(german, 2), 1));
  const QString nickname =
      platform::prompts().input_box(QStringLiteral("Translation test Nickname - Deutsch"),
                                    QStringLiteral("Enter nickname: "), QString());
  platform::prompts().show_message(my_words_->translation(nickname, 2, QStringLiteral("---")));
}

void Tlanguage_editor_form::Button1Click() {
  save_vocabulary();
  word_index = word_index > 0 ? word_index - 1 : my_words_->anzahl_vokabeln() - 1;
  refresh_display();
}

void Tlanguage_editor_form::Button2Click() {
  save_vocabulary();
  word_index = word_index < my_words_->anzahl_vokabeln() - 1 ? word_index + 1 : 0;
  refresh_display();
}

namespace {

int step_around(int value, int step, int count) {
  return ((value + step) % count + count) % count;
}

}  // namespace

void Tlanguage_editor_form::dec_language1Click() {
  save_vocabulary();
  language1 = step_around(language1, -1, my_words_->anzahl_sprachen());
  refresh_display();
}

void Tlanguage_editor_form::inc_language1Click() {
  save_vocabulary();
  language1 = step_around(language1, 1, my_words_->anzahl_sprachen());
  refresh_display();
}

void Tlanguage_editor_form::dec_language2Click() {
  save_vocabulary();
  language2 = step_around(language2, -1, my_words_->anzahl_sprachen());
  refresh_display();
}

void Tlanguage_editor_form::inc_language2Click() {
  save_vocabulary();
  language2 = step_around(language2, 1, my_words_->anzahl_sprachen());
  refresh_display();
}

void Tlanguage_editor_form::Memo1Exit() {
  save_vocabulary();
  refresh_display();
}

void Tlanguage_editor_form::Memo2Exit() {
  save_vocabulary();
  refresh_display();
}

void Tlanguage_editor_form::Button3Click() {
  my_words_->anzahl_vokabeln_plus();
  refresh_display();
  select_grid_cell(my_words_->anzahl_vokabeln(), language2 + 1);
}

void Tlanguage_editor_form::Button11Click() {
  const int source = word_index;
  my_words_->anzahl_vokabeln_plus();
  const int copy = my_words_->anzahl_vokabeln() - 1;
  for (int c = 0; c < my_words_->anzahl_sprachen(); ++c)
    my_words_->set_wort(copy, c, my_words_->wort(source, c));
  refresh_display();
  select_grid_cell(copy + 1, language2 + 1);
}

void Tlanguage_editor_form::Button9Click() {
  // The display needs a row to show; the last one stays.
  if (!my_words_->delete_vokabel(word_index)) {
    platform::prompts().show_message(
        QStringLiteral("The last row of the word list cannot be deleted."));
    return;
  }
  word_index = std::max(0, word_index - 1);
  refresh_display();
  grid_follows_word();
}

void Tlanguage_editor_form::Button5Click() {
  const QString chosen = dialogs::file_choosers().open_file_name(this, kImportFilter, kTextSuffix,
                                                                 import_dialog_file_name);
  if (!chosen.isEmpty()) guarded([&] { my_words_->import_from_textfile(chosen); });
  refresh_display();
}

void Tlanguage_editor_form::Button7Click() {
  const QString chosen = dialogs::file_choosers().open_file_name(this, kImportFilter, kTextSuffix,
                                                                 import_dialog_file_name);
  if (!chosen.isEmpty()) my_words_->append_from_textfile(chosen);
}

void Tlanguage_editor_form::Button6Click() {
  save_vocabulary();
  const QString chosen =
      dialogs::file_choosers().save_file_name(this, kExportFilter, kTextSuffix, QString());
  if (!chosen.isEmpty()) my_words_->export_to_textfile(chosen);
}

void Tlanguage_editor_form::grid1SelectCell(int r, int c) {
  if (my_words_ == nullptr) return;
  if (r >= 1 && r <= my_words_->anzahl_vokabeln()) word_index = r - 1;
  if (c >= 1 && c <= my_words_->anzahl_sprachen()) language2 = c - 1;
  refresh_display();
}

void Tlanguage_editor_form::grid1SetEditText(int r, int c, const QString& value) {
  // A cell editor still open when the editor lets go of the table commits
  // late; there is no table to store it in then.
  if (my_words_ == nullptr) return;
  if (r < 1 || c < 1) return;
  my_words_->set_wort(r - 1, c - 1, value);
  refresh_display();
}

void Tlanguage_editor_form::grid1MouseDown(int r, int c) {
  drag_text = cell_name(r, c);
}

void Tlanguage_editor_form::grid1DragDrop(int r, int c) {
  if (my_words_ == nullptr) return;
  if (r < 1 || c < 1 || r > my_words_->anzahl_vokabeln() || c > my_words_->anzahl_sprachen())
    return;
  my_words_->set_wort(r - 1, c - 1, drag_text);
  refresh_display();
}

void Tlanguage_editor_form::keyPressEvent(QKeyEvent* event) {
  // Escape closes dialogs, but this form closes only as a window does.
  if (event->key() == Qt::Key_Escape) return;
  QDialog::keyPressEvent(event);
}

void edit(basics::sprachen& words, QWidget* parent) {
  // Without owner: were the owner to close meanwhile, it must not take the
  // editor, which holds the caller's table, with it.
  Tlanguage_editor_form editor;
  if (parent != nullptr) editor.move(parent->geometry().center() - editor.rect().center());
  editor.set_words(words);
  editor.set_title(words.my_title());
  editor.exec();
  editor.save_vocabulary();
  editor.release_words();
  editor.save_question = false;
}
