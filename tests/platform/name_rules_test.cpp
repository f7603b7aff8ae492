// The rules for names that every system's Env shares: Windows wildcard
// masks, NTFS listing order and cutting names to a limit. No disk involved.

#include <gtest/gtest.h>

#include "platform/name_rules.h"

namespace platform {
namespace {

TEST(NameMaskTest, MatchesAsWindowsDoes) {
  const struct {
    const char* mask;
    QString name;
    bool matches;
  } cases[] = {
      {"*.csv", "a.CSV", true},
      {"*.csv", "a.csv.bak", false},
      {"*.*", "readme", true},  // a trailing ".*" also matches no dot at all
      {"*.*", "", true},
      {"readme.*", "readme.txt", true},
      {"readme.*", "readme", true},
      {"?.csv", "ab.csv", false},
      {"?.csv", "\u00e4.csv", true},        // "?" is one character
      {"\u00c4*", "\u00e4rger.txt", true},  // case folds beyond ASCII
      {"x[1].csv", "x[1].csv", true},       // brackets are literal
      {"x[1].csv", "x1.csv", false},
      {"*a*b", "xaYaZb", true},  // backtracks to the last "*"
      {"*a*b", "xaYaZbc", false},
      {"**", "anything", true},
      {"", "a", false},
      {"", "", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(name_mask(QString::fromUtf8(c.mask)).matches(c.name), c.matches)
        << "mask " << c.mask << ", name " << c.name.toStdString();
  }
}

TEST(ListingOrderTest, NamesAreOrderedUpperCasedThenCaseSensitively) {
  // Each name is listed before the next one.
  const QStringList in_order = {
      "",       ".hidden", "1",  "A",   "a",  "a.csv",  "B.csv",  "b.csv",
      "t",      "Z",       "z_", "[x]", "_b", "\u00c4", "\u00e4",
      "\u00df",  // "ß" upper-cases to itself: after "t", not as "SS" before it
  };
  for (qsizetype i = 0; i + 1 < in_order.size(); ++i) {
    SCOPED_TRACE(QStringLiteral("%1 < %2").arg(in_order[i], in_order[i + 1]).toStdString());
    EXPECT_TRUE(listed_before(in_order[i], in_order[i + 1]));
    EXPECT_FALSE(listed_before(in_order[i + 1], in_order[i]));
  }
  EXPECT_FALSE(listed_before(u"same", u"same"));
}

TEST(ListingOrderTest, SortsAListingWhateverItsStartingOrder) {
  QList<DirEntry> entries;
  for (const char* name : {"_b.csv", "b.CSV", "Z.csv", "a.csv", "B.csv"}) {
    DirEntry entry;
    entry.name = QString::fromLatin1(name);
    entries.append(entry);
  }
  sort_as_listed(entries);
  QStringList names;
  for (const DirEntry& entry : entries) names << entry.name;
  EXPECT_EQ(names, QStringList({"a.csv", "B.csv", "b.CSV", "Z.csv", "_b.csv"}));
}

qsizetype utf16_units(const QString& name) {
  return name.size();
}

qsizetype utf8_bytes(const QString& name) {
  return name.toUtf8().size();
}

TEST(NameFittingTest, CutsTheStemByWholeCharactersAndKeepsTheEnding) {
  const QString emoji = QString::fromUtf8("\xf0\x9f\x98\x80");  // two units, four bytes
  const struct {
    QString stem;
    QString ending;
    qsizetype longest;
    qsizetype (*length_of)(const QString&);
    QString fitted;
  } cases[] = {
      {"short", ".csv", 255, utf16_units, "short.csv"},
      {"abcdef", ".csv", 8, utf16_units, "abcd.csv"},
      {"abcdef", ".csv", 8, utf8_bytes, "abcd.csv"},
      {"\u00e4\u00e4\u00e4", ".x", 6, utf8_bytes, "\u00e4\u00e4.x"},  // two bytes each
      {"a" + emoji, ".x", 4, utf16_units, "a.x"},                     // a pair is never split
      {"a" + emoji, ".x", 6, utf8_bytes, "a.x"},
      {"a" + emoji, ".x", 7, utf16_units, "a" + emoji + ".x"},
      {"abc", ".toolong", 4, utf16_units, ".toolong"},  // the ending is never cut
  };
  for (const auto& c : cases) {
    EXPECT_EQ(cut_to_fit(c.stem, c.ending, c.longest, c.length_of), c.fitted)
        << c.stem.toStdString() << " / " << c.longest;
  }
}

}  // namespace
}  // namespace platform
