#pragma once

// The language editor: one word of a vocabulary table in two languages side
// by side, the whole table in a grid below, and buttons to move between
// words and languages, change the table and load, save, import and export
// it. Opened modally on a caller's table by edit(), or as the main window of
// the language_editor program on a table of its own.

#include <QColor>
#include <QDialog>

#include <memory>

#include "basics/sprachen.h"
#include "dialogs/language_grid.h"
#include "dialogs/language_grid_model.h"
#include "dialogs/word_cursor.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWidget;

// The form's current word and languages (word_index, language1,
// language2) are its word_cursor's, so the rules that move them are tested
// without a window.
class Tlanguage_editor_form : public QDialog, public dialogs::word_cursor {
  Q_OBJECT

 public:
  explicit Tlanguage_editor_form(QWidget* parent = nullptr);
  // Silent: the save question comes when the editor is closed.
  ~Tlanguage_editor_form() override;

  // Text of the grid cell of the last mouse press; a drop on the grid
  // stores it.
  QString drag_text;
  bool save_question = true;

  // The table being edited: the editor's own, or the one handed over by
  // set_words; nullptr only after release_words.
  basics::sprachen* my_words() const { return grid_model->table(); }
  // Works on `words` in place from now on; the editor's own table is
  // released. The caller keeps `words` alive while the editor uses it.
  void set_words(basics::sprachen& words);
  // Drops the reference to the caller's table, so nothing touches it again.
  void release_words();

  // Grid operations, in grid rows and columns (0 = the fixed title ones),
  // as the grid's model answers them.
  QString column_name(int i) const { return grid_model->column_name(i); }
  QString row_name(int i) const { return grid_model->row_name(i); }
  QString cell_name(int r, int c) const { return grid_model->cell_name(r, c); }
  QColor cell_color(int r, int c) const { return language_grid_model::cell_color(r, c); }

  void refresh_display();
  // Writes Memo1 into (word_index, language1), then Memo2 into
  // (word_index, language2); a memo whose text is still the one shown is
  // left out, so viewing a word never rewrites it. Line breaks are stored
  // as CR LF.
  void save_vocabulary();
  // Loads a vocabulary file; on success it becomes the current file, named
  // by its absolute path so later saves find its folder. A file
  // that is missing or holds no word list is reported, and the table and the
  // current file stay as they were. True when loaded.
  bool load_file(const QString& the_file);
  // Saves the table; on success the file (by its absolute path) becomes the
  // current file. A failed
  // save is reported and the current file stays. True when saved.
  bool save_file(const QString& the_file);
  void set_title(const QString& new_title);

  // The grid's row and column counts, the fixed title row and column included.
  int grid_row_count() const;
  int grid_column_count() const;
  // Makes grid cell (r, c) the current, selected cell, as a click would.
  void select_grid_cell(int r, int c);
  // The grid cell that is current; (0, 0) when none is.
  QPoint current_grid_cell() const;

  // Event handlers, named as the form's controls are.
  void load_buttonClick();
  void Save_buttonClick();
  // True when the table was saved; false when cancelled or failed.
  bool saveas_buttonClick();
  void Button10Click();  // Sort
  void Button4Click();   // New language
  void Button8Click();   // Translation test
  void Button1Click();   // Prev
  void Button2Click();   // Next
  void dec_language1Click();
  void inc_language1Click();
  void dec_language2Click();
  void inc_language2Click();
  void Memo1Exit();
  void Memo2Exit();
  void Button3Click();   // New word
  void Button11Click();  // Duplicate word
  void Button9Click();   // Delete word
  void Button5Click();   // Import
  void Button7Click();   // Append
  void Button6Click();   // Export
  void grid1SelectCell(int r, int c);
  void grid1SetEditText(int r, int c, const QString& value);
  void grid1MouseDown(int r, int c);
  bool grid1DragOver() const { return true; }
  void grid1DragDrop(int r, int c);

  QWidget* Panel1;
  QWidget* Panel2;
  QPushButton* load_button;
  QPushButton* Save_button;
  QPushButton* saveas_button;
  QPushButton* Button10;
  QLabel* file_label;
  QLabel* Label2;
  QPushButton* Button4;
  QPushButton* Button8;
  QLabel* Label3;
  QLabel* word_index_label;
  QPushButton* dec_language1;
  QLabel* language1_label;
  QPushButton* inc_language1;
  QPlainTextEdit* Memo1;
  QPushButton* dec_language2;
  QLabel* language2_label;
  QPushButton* inc_language2;
  QPlainTextEdit* Memo2;
  QPushButton* Button1;
  QPushButton* Button2;
  QPushButton* Button3;
  QPushButton* Button9;
  QPushButton* Button11;
  QPushButton* Button5;
  QPushButton* Button7;
  QPushButton* Button6;
  language_grid* grid1;
  language_grid_model* grid_model;

  // What the file dialogs start with.
  QString import_dialog_file_name;
  QString save_dialog_file_name;

 protected:
  // Asks the save question while save_question is set; a save that is
  // cancelled or fails keeps the editor open.
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate();
  // True when the editor may close: the words were saved, or the operator
  // answered No.
  bool FormCloseQuery();
  void build_layout();
  void wire();
  // Moves the grid's current cell to the current word in column language2.
  void grid_follows_word();
  // Stores `memo` into (word_index, language) when it was edited since it
  // showed `shown`.
  void store_edited_memo(const QPlainTextEdit* memo, const QString& shown, int language);
  // Runs a handler; an error it raises is shown to the operator and the
  // editor goes on.
  template <typename Step>
  void guarded(Step&& step);

  // The editor's own table, until set_words hands it another.
  std::unique_ptr<basics::sprachen> own_words_;
  bool selecting_ = false;
  // What the memos showed at the last refresh.
  QString shown_in_memo1_;
  QString shown_in_memo2_;
};

// Opens the language editor modally on `words`, titled with its my_title,
// and returns when the operator closes it; the edits are in `words`, and
// closing asks nothing.
void edit(basics::sprachen& words, QWidget* parent = nullptr);
