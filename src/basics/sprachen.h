#pragma once

// Vocabulary tables: one row per word, one column per language, plus the
// nickname column 0 by which the program looks words up. Row 0 holds the
// column names and takes part in lookups like any other row.
//
// Stored as a vocabulary file (.bin, little-endian):
//   "UNICODE", file version (float), column count, row count (int32 each),
//   then one string record per cell, row by row.
// Older files lack the magic and version and hold single-byte records.
// The tab-separated text form has one line per row, cells joined by TAB;
// basics/vocabulary_check finds the mistakes of hand-made ones.
// docs/formats.md draws both byte for byte.

#include "basics/message_sink.h"
#include "basics/text_file.h"

#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>

namespace basics {

using vokabel = QStringList;           // the words of one row, one per column
using vokabel_liste = QList<vokabel>;  // the rows

// The lines of a tab-separated text file as import and append read them:
// decoded as read_lines_detecting_utf8 decodes. Throws basics::error when
// the file cannot be read, holds no line, is a word list file or holds NUL
// characters (no text file then).
decoded_lines read_text_table(const QString& the_file);

class sprachen {
 public:
  // Columns "Nickname", "English", "Deutsch" and only the header row.
  sprachen();

  // The number of columns (nickname column included) and of rows (header
  // row included). Every row always has anzahl_sprachen() cells.
  int anzahl_sprachen() const { return anzahl_sprachen_; }
  int anzahl_vokabeln() const { return static_cast<int>(meine_liste_.size()); }
  const vokabel_liste& meine_liste() const { return meine_liste_; }

  const QString& my_title() const { return my_title_; }
  void set_title(const QString& title) { my_title_ = title; }

  // The cell, or "" when row or column lies outside the table.
  QString wort(int index, int sprache) const;
  // Stores `text` in the cell; a cell outside the table is ignored.
  void set_wort(int index, int sprache, const QString& text);

  // The first row, from row 0, whose cell in column `language` equals
  // `my_vocabulary` exactly (code units, case counting, nothing trimmed);
  // -1 when there is none or `language` is not a column.
  int get_index(const QString& my_vocabulary, int language) const;
  // The word of `nickname` in `language`; `default_value` when that is empty.
  QString translation(const QString& nickname, int language, const QString& default_value) const;
  QString translation_nickname_as_default(const QString& nickname, int language) const;
  // The nickname of the first row whose word in `language` is `the_name`; ""
  // when there is none.
  QString nickname(const QString& the_name, int language) const;

  // Appends a row of empty cells.
  void anzahl_vokabeln_plus();
  // Removes row `index`; the rows after it move up, and when row 0 goes the
  // next row becomes the header row. A table keeps at least one row, so the
  // only row is not removed. False when nothing was removed.
  bool delete_vokabel(int index);
  // Appends a column headed by the new language's name; the window asks the
  // operator for it.
  void anzahl_sprachen_plus(const QString& name);

  // Columns "Nickname", "English" and only the header row; the title stays.
  void clear();
  // Rows 1 and up in ascending order of nickname, a-z folded to A-Z, equal
  // nicknames keeping their order.
  void sort();

  // Replaces the table with a vocabulary file's content and returns true.
  // A file of 11 bytes or less is not read: returns false, table unchanged.
  // Throws basics::error, table unchanged, when the file cannot be read or
  // its counts or records do not fit in it. Sets read_file_version.
  bool load_from_file(const QString& this_file);
  // Publishes the table as a vocabulary file; throws basics::error when that
  // fails, leaving an existing file as it was.
  void save_to_file(const QString& this_file) const;

  // The headerless body (counts and records) at the stream's position, in
  // the record layout read_file_version selects. Throws basics::error on a
  // damaged body; the table is then unchanged.
  void load_from_stream(QIODevice& s);
  // The headerless body in the layout program_file_version selects; throws
  // basics::error when the stream refuses the bytes.
  void save_to_stream(QIODevice& s) const;

  // The rows in the tab-separated text form, one line per row.
  QStringList text_lines() const;
  // Publishes text_lines() as UTF-16LE with byte-order mark, CR LF after
  // every line; throws basics::error on failure.
  void export_to_textfile(const QString& the_file) const;
  // Replaces the table with a tab-separated text file (the title stays).
  // Throws basics::error, table unchanged, when the file cannot be read or
  // holds no line.
  void import_from_textfile(const QString& the_file);
  // The same for the lines of `the_file` as read_text_table gave them; no
  // lines leave the table unchanged.
  void import_from_lines(const QString& the_file, const QStringList& lines);
  // Appends every line of a tab-separated text file as a row. A file with
  // another number of columns is refused with the message "Error: Number of
  // languages in file does not match current number in program".
  // Throws basics::error, table unchanged, when the file cannot be read or
  // holds no line.
  void append_from_textfile(const QString& the_file, const message_sink& message);

 private:
  void replace_rows(int anzahl_sprachen, vokabel_liste rows);
  bool is_cell(int index, int sprache) const;

  int anzahl_sprachen_ = 0;
  vokabel_liste meine_liste_;
  QString my_title_;
};

}  // namespace basics
