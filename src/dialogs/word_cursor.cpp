#include "dialogs/word_cursor.h"

#include <algorithm>

namespace dialogs {
namespace {

// `value` within 0 .. count - 1; 0 for an empty count.
int nearest(int value, int count) {
  return std::max(0, std::min(value, count - 1));
}

int step_around(int value, int step, int count) {
  return ((value + step) % count + count) % count;
}

}  // namespace

void word_cursor::reset() {
  word_index = 0;
  language1 = 0;
  language2 = 1;
}

void word_cursor::keep_within(int words, int languages) {
  word_index = nearest(word_index, words);
  language1 = nearest(language1, languages);
  language2 = nearest(language2, languages);
}

void word_cursor::previous_word(int words) {
  word_index = word_index > 0 ? word_index - 1 : words - 1;
}

void word_cursor::next_word(int words) {
  word_index = word_index < words - 1 ? word_index + 1 : 0;
}

void word_cursor::step_language1(int step, int languages) {
  language1 = step_around(language1, step, languages);
}

void word_cursor::step_language2(int step, int languages) {
  language2 = step_around(language2, step, languages);
}

void word_cursor::show_last_language(int languages) {
  language2 = languages - 1;
}

void word_cursor::word_deleted() {
  word_index = std::max(0, word_index - 1);
}

void word_cursor::follow_grid_cell(int r, int c, int words, int languages) {
  if (r >= 1 && r <= words) word_index = r - 1;
  if (c >= 1 && c <= languages) language2 = c - 1;
}

}  // namespace dialogs
