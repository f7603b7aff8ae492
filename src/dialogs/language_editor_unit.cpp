#include "dialogs/language_editor_unit.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

#include "basics/error.h"
#include "basics/files.h"
#include "dialogs/file_dialogs.h"
#include "platform/operator_prompts.h"

namespace {

const QString kWordListFilter = QStringLiteral("Word list|*.bin");
const QString kWordListSuffix = QStringLiteral("bin");
const QString kImportFilter = QStringLiteral("Testfile|*.txt");
const QString kExportFilter = QStringLiteral("Textfile|*.txt");
const QString kTextSuffix = QStringLiteral("txt");

// What the grid's columns leave for a vertical scroll bar, in pixels.
constexpr int kScrollBarAllowance = 16;

}  // namespace

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
  // An edit in the grid shows in the memos at once.
  connect(grid_model, &language_grid_model::cell_edited, this, [this] { refresh_display(); });
  connect(grid1, &language_grid::cell_pressed, this, &Tlanguage_editor_form::grid1MouseDown);
  connect(grid1, &language_grid::cell_dropped, this, &Tlanguage_editor_form::grid1DragDrop);
  grid1->accepts_drop = [this] { return grid1DragOver(); };
  connect(grid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (selecting_ || !current.isValid()) return;
            grid1SelectCell(current.row() + 1, current.column() + 1);
          });
}

void Tlanguage_editor_form::FormCreate() {
  save_question = true;
  own_words_ = std::make_unique<basics::sprachen>();
  grid_model->set_table(own_words_.get());
  reset();
  refresh_display();
}

bool Tlanguage_editor_form::FormCloseQuery() {
  if (my_words() == nullptr) return true;
  // Words typed into a memo count even when the editor closes before the
  // memo was left.
  save_vocabulary();
  if (!save_question) return true;
  if (!platform::prompts().ask_yes_no(QStringLiteral("\u00b4Closing language editor"),
                                      QStringLiteral("Save word list?")))
    return true;
  // Words are never dropped without the operator saying No: a save that
  // is cancelled or fails keeps the editor open.
  bool saved = false;
  guarded([&] { saved = saveas_buttonClick(); });
  return saved;
}

void Tlanguage_editor_form::closeEvent(QCloseEvent* event) {
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void Tlanguage_editor_form::set_words(basics::sprachen& words) {
  grid_model->set_table(&words);
  own_words_.reset();
  refresh_display();
}

void Tlanguage_editor_form::release_words() {
  grid_model->set_table(nullptr);
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

void Tlanguage_editor_form::refresh_display() {
  const basics::sprachen* words = my_words();
  if (words == nullptr) return;
  const int columns = words->anzahl_sprachen();
  // A table loaded, imported or shortened may no longer hold the current
  // word or languages.
  keep_within(words->anzahl_vokabeln(), columns);

  word_index_label->setText(QString::number(word_index));
  language1_label->setText(words->wort(0, language1));
  language2_label->setText(words->wort(0, language2));
  Memo1->setPlainText(words->wort(word_index, language1));
  Memo2->setPlainText(words->wort(word_index, language2));
  shown_in_memo1_ = Memo1->toPlainText();
  shown_in_memo2_ = Memo2->toPlainText();

  selecting_ = true;
  grid_model->follow_table();
  selecting_ = false;
  grid1->verticalHeader()->setFixedWidth(language_grid::kFixedColumnWidth);
  const int width =
      std::max(1, (grid1->width() - language_grid::kFixedColumnWidth - kScrollBarAllowance) /
                          (grid_column_count() - 1) -
                      3);
  for (int c = 0; c < columns; ++c) grid1->horizontalHeader()->resizeSection(c, width);
  grid1->viewport()->update();
}

void Tlanguage_editor_form::save_vocabulary() {
  store_edited_memo(Memo1, shown_in_memo1_, language1);
  store_edited_memo(Memo2, shown_in_memo2_, language2);
}

void Tlanguage_editor_form::store_edited_memo(const QPlainTextEdit* memo, const QString& shown,
                                              int language) {
  basics::sprachen* words = my_words();
  const QString text = memo->toPlainText();
  // The memo shows every line break as LF; words match by exact code
  // units, so one only viewed is never written back.
  if (words == nullptr || text == shown) return;
  QString stored = text;
  words->set_wort(word_index, language, stored.replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
}

bool Tlanguage_editor_form::load_file(const QString& given_file) {
  const QString the_file = basics::absolute_path(given_file);
  if (!basics::file_exists(the_file)) {
    platform::prompts().show_message(QStringLiteral("Error: File not found!\n\r") + the_file);
    return false;
  }
  bool loaded = false;
  try {
    loaded = my_words()->load_from_file(the_file);
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

bool Tlanguage_editor_form::save_file(const QString& given_file) {
  const QString the_file = basics::absolute_path(given_file);
  try {
    my_words()->save_to_file(the_file);
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
  my_words()->sort();
  refresh_display();
}

void Tlanguage_editor_form::Button4Click() {
  my_words()->anzahl_sprachen_plus(platform::prompts().input_box(
      QStringLiteral("New language"), QStringLiteral("Enter name of new language: "),
      QStringLiteral("Esperanto")));
  save_vocabulary();
  show_last_language(my_words()->anzahl_sprachen());
  refresh_display();
}

void Tlanguage_editor_form::Button8Click() {
  const QString german =
      platform::prompts().input_box(QStringLiteral("Translation test German-English"),
                                    QStringLiteral("Enter german word: "), QString());
  const basics::sprachen* words = my_words();
  platform::prompts().show_message(words->wort(words->get_index(german, 2), 1));
  const QString nickname =
      platform::prompts().input_box(QStringLiteral("Translation test Nickname - Deutsch"),
                                    QStringLiteral("Enter nickname: "), QString());
  platform::prompts().show_message(words->translation(nickname, 2, QStringLiteral("---")));
}

void Tlanguage_editor_form::Button1Click() {
  save_vocabulary();
  previous_word(my_words()->anzahl_vokabeln());
  refresh_display();
}

void Tlanguage_editor_form::Button2Click() {
  save_vocabulary();
  next_word(my_words()->anzahl_vokabeln());
  refresh_display();
}

void Tlanguage_editor_form::dec_language1Click() {
  save_vocabulary();
  step_language1(-1, my_words()->anzahl_sprachen());
  refresh_display();
}

void Tlanguage_editor_form::inc_language1Click() {
  save_vocabulary();
  step_language1(1, my_words()->anzahl_sprachen());
  refresh_display();
}

void Tlanguage_editor_form::dec_language2Click() {
  save_vocabulary();
  step_language2(-1, my_words()->anzahl_sprachen());
  refresh_display();
}

void Tlanguage_editor_form::inc_language2Click() {
  save_vocabulary();
  step_language2(1, my_words()->anzahl_sprachen());
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
  my_words()->anzahl_vokabeln_plus();
  refresh_display();
  select_grid_cell(my_words()->anzahl_vokabeln(), language2 + 1);
}

void Tlanguage_editor_form::Button11Click() {
  const int source = word_index;
  basics::sprachen* words = my_words();
  words->anzahl_vokabeln_plus();
  const int copy = words->anzahl_vokabeln() - 1;
  for (int c = 0; c < words->anzahl_sprachen(); ++c)
    words->set_wort(copy, c, words->wort(source, c));
  refresh_display();
  select_grid_cell(copy + 1, language2 + 1);
}

void Tlanguage_editor_form::Button9Click() {
  // The display needs a row to show; the last one stays.
  if (!my_words()->delete_vokabel(word_index)) {
    platform::prompts().show_message(
        QStringLiteral("The last row of the word list cannot be deleted."));
    return;
  }
  word_deleted();
  refresh_display();
  grid_follows_word();
}

void Tlanguage_editor_form::Button5Click() {
  const QString chosen = dialogs::file_choosers().open_file_name(this, kImportFilter, kTextSuffix,
                                                                 import_dialog_file_name);
  if (!chosen.isEmpty()) guarded([&] { my_words()->import_from_textfile(chosen); });
  refresh_display();
}

void Tlanguage_editor_form::Button7Click() {
  const QString chosen = dialogs::file_choosers().open_file_name(this, kImportFilter, kTextSuffix,
                                                                 import_dialog_file_name);
  if (chosen.isEmpty()) return;
  my_words()->append_from_textfile(
      chosen, [](const QString& text) { platform::prompts().show_message(text); });
}

void Tlanguage_editor_form::Button6Click() {
  save_vocabulary();
  const QString chosen =
      dialogs::file_choosers().save_file_name(this, kExportFilter, kTextSuffix, QString());
  if (!chosen.isEmpty()) my_words()->export_to_textfile(chosen);
}

void Tlanguage_editor_form::grid1SelectCell(int r, int c) {
  const basics::sprachen* words = my_words();
  if (words == nullptr) return;
  follow_grid_cell(r, c, words->anzahl_vokabeln(), words->anzahl_sprachen());
  refresh_display();
}

void Tlanguage_editor_form::grid1SetEditText(int r, int c, const QString& value) {
  if (!grid_model->set_cell(r, c, value)) return;
  refresh_display();
}

void Tlanguage_editor_form::grid1MouseDown(int r, int c) {
  drag_text = cell_name(r, c);
}

void Tlanguage_editor_form::grid1DragDrop(int r, int c) {
  const basics::sprachen* words = my_words();
  if (words == nullptr || r > words->anzahl_vokabeln() || c > words->anzahl_sprachen()) return;
  if (!grid_model->set_cell(r, c, drag_text)) return;
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
  // The caller keeps the table: closing asks nothing.
  editor.save_question = false;
  editor.exec();
  editor.save_vocabulary();
  editor.release_words();
}
