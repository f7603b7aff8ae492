#include "basics/key_value.h"

#include "basics/text_file.h"
#include "support/recording_prompts.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

namespace {

constexpr int kDefaultInt = 7;
constexpr float kDefaultFloat = -1.0f;
const QString kDefaultText = QStringLiteral("default");

// What each reader gives for one list and key, with the defaults above.
struct key_case {
  const char* name;
  QStringList list;
  QString key;
  QString read_string;
  int read_integer;
  float read_float;
  QString find_string;
  int find_integer;
  bool find_integer_complains;
};

TEST(KeyReadersTest, WhichValueWins) {
  const key_case cases[] = {
      {"last value wins, invalid ones skipped",
       {"Key", "1", "key", "x"},
       "KEY",
       "x",
       1,
       1.0f,
       "1",
       1,
       false},
      {"key on the last line",
       {"a", "Key"},
       "Key",
       kDefaultText,
       kDefaultInt,
       kDefaultFloat,
       kDefaultText,
       kDefaultInt,
       false},
      {"empty list",
       {},
       "Key",
       kDefaultText,
       kDefaultInt,
       kDefaultFloat,
       kDefaultText,
       kDefaultInt,
       false},
      {"no key line",
       {"a", "1"},
       "Key",
       kDefaultText,
       kDefaultInt,
       kDefaultFloat,
       kDefaultText,
       kDefaultInt,
       false},
      {"a value line is never a key",
       {"k", "k", "5"},
       "k",
       "k",
       kDefaultInt,
       kDefaultFloat,
       "k",
       kDefaultInt,
       true},
      {"nothing trimmed",
       {"Key ", "3", " key", "4"},
       "Key",
       kDefaultText,
       kDefaultInt,
       kDefaultFloat,
       kDefaultText,
       kDefaultInt,
       false},
      {"only a-z folded",
       {QString::fromUtf8("Ä"), "3"},
       QString::fromUtf8("ä"),
       kDefaultText,
       kDefaultInt,
       kDefaultFloat,
       kDefaultText,
       kDefaultInt,
       false},
      {"value keeps its spaces",
       {"n", " 12 "},
       "N",
       " 12 ",
       kDefaultInt,
       kDefaultFloat,
       " 12 ",
       kDefaultInt,
       true},
      {"every match counts",
       {"n", "1", "n", "2", "n", "oops"},
       "n",
       "oops",
       2,
       2.0f,
       "1",
       1,
       false},
      {"an empty line is a valid string", {"k", "3", "k", ""}, "k", "", 3, 3.0f, "3", 3, false},
      {"first value invalid", {"k", "", "k", "4"}, "k", "4", 4, 4.0f, "", kDefaultInt, true},
      {"comma as decimal separator",
       {"f", "2,5"},
       "f",
       "2,5",
       kDefaultInt,
       2.5f,
       "2,5",
       kDefaultInt,
       true},
      {"float with exponent",
       {"f", "1e3"},
       "f",
       "1e3",
       kDefaultInt,
       1000.0f,
       "1e3",
       kDefaultInt,
       true},
      {"beyond a 32-bit float", {"f", "1", "f", "1e39"}, "f", "1e39", 1, 1.0f, "1", 1, false},
  };
  for (const key_case& c : cases) {
    SCOPED_TRACE(c.name);
    test_support::recording_prompts prompts;
    EXPECT_EQ(basics::ini_read_string(c.key, c.list, kDefaultText), c.read_string);
    EXPECT_EQ(basics::ini_read_integer(c.key, c.list, kDefaultInt), c.read_integer);
    EXPECT_FLOAT_EQ(basics::ini_read_float(c.key, c.list, kDefaultFloat), c.read_float);
    EXPECT_EQ(basics::ini_find_string(c.list, c.key, kDefaultText), c.find_string);
    EXPECT_TRUE(prompts.texts().isEmpty());
    QStringList messages;
    EXPECT_EQ(basics::ini_find_integer(c.list, c.key, kDefaultInt,
                                       [&](const QString& text) { messages << text; }),
              c.find_integer);
    const QStringList expected_messages =
        c.find_integer_complains ? QStringList{"Error: " + c.key + " not found in ini-file!"}
                                 : QStringList{};
    EXPECT_EQ(messages, expected_messages);
    EXPECT_TRUE(prompts.texts().isEmpty());
  }
}

TEST(KeyReadersTest, FindIntegerNamesTheKeyAsAsked) {
  test_support::recording_prompts prompts;
  QStringList messages;
  EXPECT_EQ(basics::ini_find_integer({"Key", "12a"}, "Key", 5,
                                     [&](const QString& text) { messages << text; }),
            5);
  EXPECT_EQ(messages, QStringList{"Error: Key not found in ini-file!"});
  EXPECT_TRUE(prompts.shown().isEmpty());
}

// A settings file saved as UTF-16 with Windows line ends reads like any other.
TEST(KeyReadersTest, SettingsFileWithByteOrderMark) {
  const test_support::temp_tree tree;
  const QString path = tree.write("settings.ini", test_support::fixture("settings_utf16le.ini"));
  const QStringList lines = basics::read_lines(path);
  EXPECT_EQ(basics::ini_read_string("Product", lines, {}), QString::fromUtf8("Glas_ä"));
  EXPECT_EQ(basics::ini_read_integer("interval", lines, 0), 30);
  EXPECT_FLOAT_EQ(basics::ini_read_float("Factor", lines, 0.0f), 2.5f);
}

}  // namespace
