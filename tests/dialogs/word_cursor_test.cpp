// How the language editor's buttons and grid move its current word and
// languages, without a window.

#include <gtest/gtest.h>

#include "dialogs/word_cursor.h"

namespace dialogs {
namespace {

word_cursor at(int word_index, int language1, int language2) {
  word_cursor cursor;
  cursor.word_index = word_index;
  cursor.language1 = language1;
  cursor.language2 = language2;
  return cursor;
}

void expect_at(const word_cursor& cursor, int word_index, int language1, int language2) {
  EXPECT_EQ(cursor.word_index, word_index);
  EXPECT_EQ(cursor.language1, language1);
  EXPECT_EQ(cursor.language2, language2);
}

TEST(WordCursorTest, StartsAndResetsOnTheHeaderRowWithTheFirstTwoLanguages) {
  word_cursor cursor;
  expect_at(cursor, 0, 0, 1);
  cursor = at(3, 2, 0);
  cursor.reset();
  expect_at(cursor, 0, 0, 1);
}

TEST(WordCursorTest, WordsAndLanguagesWrapAroundAtEitherEnd) {
  word_cursor cursor = at(0, 0, 2);
  cursor.previous_word(4);
  EXPECT_EQ(cursor.word_index, 3);
  cursor.next_word(4);
  EXPECT_EQ(cursor.word_index, 0);
  cursor.next_word(4);
  EXPECT_EQ(cursor.word_index, 1);

  cursor.step_language1(-1, 3);
  cursor.step_language2(1, 3);
  expect_at(cursor, 1, 2, 0);
  cursor.step_language1(1, 3);
  cursor.step_language2(-1, 3);
  expect_at(cursor, 1, 0, 2);
  cursor.step_language2(1, 1);  // one column: stays on it
  EXPECT_EQ(cursor.language2, 0);
}

TEST(WordCursorTest, ATableThatShrankTakesTheNearestWordAndLanguages) {
  const struct {
    int words, languages;
    int word_index, language1, language2;
  } cases[] = {
      {4, 3, 3, 2, 1},  // all still there
      {2, 2, 1, 1, 1},
      {1, 1, 0, 0, 0},
      {0, 0, 0, 0, 0},  // no rows at all: the start, never below it
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.words << " words, " << c.languages << " languages");
    word_cursor cursor = at(3, 2, 1);
    cursor.keep_within(c.words, c.languages);
    expect_at(cursor, c.word_index, c.language1, c.language2);
  }
  word_cursor below = at(-2, -1, -5);
  below.keep_within(4, 3);
  expect_at(below, 0, 0, 0);
}

TEST(WordCursorTest, AGridCellChosenMovesOnlyToWhatTheTableHas) {
  const struct {
    int r, c;
    int word_index, language2;
  } cases[] = {
      {3, 2, 2, 1},  // word 2, column 1 on the right
      {0, 3, 1, 2},  // the title row: the word stays
      {2, 0, 1, 0},  // the title column: the language stays
      {5, 4, 1, 0},  // outside the table: nothing moves
      {-1, -1, 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "cell " << c.r << "," << c.c);
    word_cursor cursor = at(1, 0, 0);
    cursor.follow_grid_cell(c.r, c.c, 4, 3);
    expect_at(cursor, c.word_index, 0, c.language2);
  }
}

TEST(WordCursorTest, ANewLanguageShowsOnTheRightAndADeletedWordMakesTheOneBeforeCurrent) {
  word_cursor cursor = at(2, 0, 1);
  cursor.show_last_language(4);
  EXPECT_EQ(cursor.language2, 3);
  cursor.word_deleted();
  EXPECT_EQ(cursor.word_index, 1);
  cursor.word_index = 0;
  cursor.word_deleted();
  EXPECT_EQ(cursor.word_index, 0);
}

}  // namespace
}  // namespace dialogs
