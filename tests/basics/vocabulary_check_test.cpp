#include "basics/vocabulary_check.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>

namespace {

using basics::check_vocabulary_rows;
using basics::check_vocabulary_text;
using basics::vocabulary_finding;
using basics::vocabulary_findings;
using severity = vocabulary_finding::severity;

// One expected finding: its line, its kind and the words it must hold.
struct expected_finding {
  int line;
  severity level;
  const char* text_part;
};

void expect_findings(const vocabulary_findings& found, const QList<expected_finding>& expected) {
  ASSERT_EQ(found.size(), expected.size());
  for (qsizetype i = 0; i < found.size(); ++i) {
    SCOPED_TRACE(found[i].text.toStdString());
    EXPECT_EQ(found[i].line, expected[i].line);
    EXPECT_EQ(found[i].level, expected[i].level);
    EXPECT_THAT(found[i].text.toStdString(), ::testing::HasSubstr(expected[i].text_part));
    EXPECT_FALSE(found[i].text.contains(u'\n'));
  }
}

TEST(VocabularyCheckTest, FindsEachMistakeOnItsLine) {
  struct table {
    const char* what;
    QList<QStringList> rows;
    QList<expected_finding> findings;
  };
  const table cases[] = {
      {"a good table, empty cells repeated",
       {{"Nickname", "English"}, {"a", ""}, {"b", ""}, {"", "x"}},
       {}},
      {"one cell instead of two",
       {{"Nickname", "English"}, {"a b"}},
       {{2, severity::error,
         "the row has 1 column where the header row has 2; the cells must be separated by tabs"}}},
      {"a cell missing",
       {{"Nickname", "English", "Deutsch"}, {"a", "b"}},
       {{2, severity::error, "the row has 2 columns where the header row has 3"}}},
      {"a cell too many",
       {{"Nickname", "English"}, {"a", "b", "c"}},
       {{2, severity::error, "the row has 3 columns where the header row has 2"}}},
      {"a nickname three times, each pointing at the first",
       {{"Nickname"}, {"a"}, {"a"}, {"a"}},
       {{3, severity::error, "nickname \"a\" is also on line 2"},
        {4, severity::error, "nickname \"a\" is also on line 2"}}},
      {"the header row takes part in lookups",
       {{"Nickname", "English"}, {"Nickname", "x"}},
       {{2, severity::error, "nickname \"Nickname\" is also on line 1"}}},
      {"a word twice in a language column",
       {{"Nickname", "Probe head"}, {"a", "PH-1"}, {"b", "PH-1"}},
       {{3, severity::warning, "\"PH-1\" in cell 2 (Probe head) is also on line 2"}}},
      {"cells compared as import stores them",
       {{"Nickname", "English"}, {"a", "x"}, {" a", "y"}},
       {{3, severity::error, "nickname \"a\" is also on line 2"},
        {3, severity::warning, "cell 1 (Nickname) \" a\" has blanks at its start"}}},
      {"blanks at the end, at both edges",
       {{"Nickname", ""}, {"a ", "\tb\x0B"}},
       {{2, severity::warning, "cell 1 (Nickname) \"a \" has blanks at its end"},
        {2, severity::warning, "cell 2 \"\\x09b\\x0b\" has blanks at its start and end"}}},
      {"a blank row is only that, however many cells",
       {{"Nickname", "English", "Deutsch"}, {" ", ""}, {""}, {"a", "b", "c"}},
       {{2, severity::warning, "blank row"}, {3, severity::warning, "blank row"}}},
      {"a blank header row", {{""}, {"a"}}, {{1, severity::error, "the header row is blank"}}},
  };
  for (const table& c : cases) {
    SCOPED_TRACE(c.what);
    expect_findings(check_vocabulary_rows(c.rows), c.findings);
  }
}

TEST(VocabularyCheckTest, TextLinesAreSplitAtTabsWithTheirBlanks) {
  const basics::decoded_lines text{{"Nickname\tEnglish", "a b", "c\t d"}, false};
  expect_findings(check_vocabulary_text(text),
                  {{2, severity::error, "the row has 1 column where the header row has 2"},
                   {3, severity::warning, "cell 2 (English) \" d\" has blanks at its start"}});
}

TEST(VocabularyCheckTest, Utf8WithoutMarkIsReportedWhereItFirstShows) {
  const basics::decoded_lines utf8{{"Nickname\tEnglish", "a\tb", QStringLiteral("c\tÜBEN")}, true};
  expect_findings(check_vocabulary_text(utf8),
                  {{3, severity::warning, "decoded as UTF-8 without a byte-order mark"}});
  basics::decoded_lines windows = utf8;
  windows.utf8_without_mark = false;
  EXPECT_TRUE(check_vocabulary_text(windows).isEmpty());
}

TEST(VocabularyCheckTest, OnlyErrorsCount) {
  const vocabulary_findings warnings = check_vocabulary_rows({{"Nickname"}, {""}});
  ASSERT_EQ(warnings.size(), 1);
  EXPECT_FALSE(basics::has_error(warnings));
  EXPECT_TRUE(basics::has_error(check_vocabulary_rows({{"Nickname"}, {""}, {"Nickname"}})));
  EXPECT_FALSE(basics::has_error({}));
}

}  // namespace
