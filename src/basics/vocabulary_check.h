#pragma once

// The mistakes of a hand-made vocabulary table, found before it is stored:
// importing takes any text and the mistakes would only show on the line,
// when a probe head or a word is not found.
//
// Errors make a table unusable as meant: a row with another number of cells
// than the header row (its cells would be dropped or left empty), a nickname
// on two rows (lookups find only the first). Warnings are probably mistakes:
// a blank row, a word on two rows of a language column, blanks at the edge of
// a cell, a text file read as UTF-8 without a byte-order mark.

#include "basics/text_file.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace basics {

struct vocabulary_finding {
  enum class severity { warning, error };
  int line = 0;  // 1-based: row 0, the header row, is line 1
  severity level = severity::warning;
  QString text;  // what is wrong, without file or line
};
using vocabulary_findings = QList<vocabulary_finding>;

// The findings for a table's rows, row 0 the header row, ordered by line.
// Rows may differ in length, as the lines of a text file do. Cells are
// compared with the blanks at their edges removed, as import stores them;
// empty cells are never duplicates.
vocabulary_findings check_vocabulary_rows(const QList<QStringList>& rows);

// The findings for the lines of a tab-separated text file as read_text_table
// read them, the decoding included.
vocabulary_findings check_vocabulary_text(const decoded_lines& text);

bool has_error(const vocabulary_findings& findings);

}  // namespace basics
