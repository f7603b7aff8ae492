#pragma once

// Where the language editor stands in its table: the current word and the
// two languages shown side by side, and how the editor's buttons and grid
// move them. No widgets, so the rules are tested on their own.
//
// Counts are the table's: `words` rows (the header row included) and
// `languages` columns (the nickname column included).

namespace dialogs {

struct word_cursor {
  int word_index = 0;  // the current word: a table row, row 0 the header row
  int language1 = 0;   // the column shown on the left
  int language2 = 1;   // the column shown on the right

  // The first row, with the first two columns side by side.
  void reset();
  // Moves each part to the nearest row or column the table has, so the
  // memos always edit a cell that exists.
  void keep_within(int words, int languages);
  // Prev and Next: one word back or on, wrapping around at either end.
  void previous_word(int words);
  void next_word(int words);
  // The language arrows: `step` (-1 or 1) columns, wrapping around.
  void step_language1(int step, int languages);
  void step_language2(int step, int languages);
  // The table has a new last column: shown on the right.
  void show_last_language(int languages);
  // The current word was deleted: the one before it is current.
  void word_deleted();
  // Grid cell (r, c) was chosen, the fixed title row and column counting
  // as 0: its word and language become current where they exist.
  void follow_grid_cell(int r, int c, int words, int languages);
};

}  // namespace dialogs
