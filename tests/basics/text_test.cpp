#include "basics/text.h"

#include "support/fault_env.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <random>
#include <string>
#include <vector>

#include <optional>

namespace {

using basics::parse_float;
using basics::parse_integer;

struct field_case {
  const char* line;  // written with "," as separator
  int n;
  const char* expected;
};

// Every splitter follows the same rules; each case runs with each separator.
TEST(FieldsTest, SplitCountTrimAsEverySplitterDoes) {
  const field_case cases[] = {
      {"a, b ,c", 2, "b"},
      {"a,b,", 3, ""},
      {"a", 2, ""},
      {" a ", 1, "a"},
      {"a,b", 0, "a"},
      {"a,b", -3, "a"},
      {"a,b,c", 3, "c"},
      {"a,b,c", 4, ""},
      {"a,,c", 2, ""},
      {"", 1, ""},
      {",", 2, ""},
      {"\x01 x \x1f,y", 1, "x"},
      {"a,b\xc2\xa0", 2, "b\xc2\xa0"},  // only codes up to 32 are trimmed
  };
  const struct {
    QChar separator;
    QString (*split)(const QString&, int);
  } splitters[] = {
      {u',', basics::comma_field}, {u';', basics::semicolon_field}, {u'\t', basics::tab_field}};
  for (const auto& splitter : splitters) {
    for (const field_case& c : cases) {
      const QString line = QString::fromUtf8(c.line).replace(u',', splitter.separator);
      EXPECT_EQ(splitter.split(line, c.n), QString::fromUtf8(c.expected))
          << "line '" << c.line << "' n=" << c.n << " separator "
          << int(splitter.separator.unicode());
    }
  }
}

TEST(FieldsTest, OtherSeparatorsAreText) {
  EXPECT_EQ(basics::comma_field("a;b\tc,d", 1), "a;b\tc");
  EXPECT_EQ(basics::semicolon_field("a,b;c", 1), "a,b");
  EXPECT_EQ(basics::tab_field("a,b;c\td", 2), "d");
}

TEST(CountingTest, CommasAndTabs) {
  EXPECT_EQ(basics::count_commas("a,b,,"), 3);
  EXPECT_EQ(basics::count_commas(""), 0);
  EXPECT_EQ(basics::count_tabs("a\tb\t\t,"), 3);
  EXPECT_EQ(basics::comma_to_point("1,5,,x"), "1.5..x");
}

TEST(TextTest, TrimmedRemovesOnlyCodesUpTo32) {
  EXPECT_EQ(basics::trimmed(QString(" \t\r\n\x01x y\x1f ")), "x y");
  EXPECT_EQ(basics::trimmed(QString::fromUtf8("\xc2\xa0x\xc2\xa0")),
            QString::fromUtf8("\xc2\xa0x\xc2\xa0"));
  EXPECT_EQ(basics::trimmed("   "), "");
}

TEST(TextTest, AsciiCaseFoldingLeavesOtherLettersAlone) {
  EXPECT_EQ(basics::ascii_upper(QString::fromUtf8("dörnik_1z")), QString::fromUtf8("DöRNIK_1Z"));
  EXPECT_EQ(basics::ascii_lower(QString::fromUtf8("TRUE Ä")), QString::fromUtf8("true Ä"));
  EXPECT_TRUE(basics::equal_ignoring_ascii_case("Ask For", "aSK fOR"));
  EXPECT_FALSE(basics::equal_ignoring_ascii_case("Key ", "Key"));
  EXPECT_FALSE(basics::equal_ignoring_ascii_case(QString::fromUtf8("ä"), QString::fromUtf8("Ä")));
}

TEST(TextTest, PaddedIntToString) {
  const struct {
    int value;
    int width;
    const char* expected;
  } cases[] = {{5, 3, "  5"}, {-12, 4, " -12"}, {12345, 3, "12345"}, {7, 0, "7"}, {7, -4, "7"}};
  for (const auto& c : cases) {
    EXPECT_EQ(basics::padded_int_to_string(c.value, c.width), c.expected)
        << c.value << "," << c.width;
  }
  EXPECT_EQ(basics::padded_int_to_string(1, 100000).size(), 255);  // width is capped
}

TEST(NumbersTest, IntegerSyntax) {
  const struct {
    const char* text;
    std::optional<int> expected;
  } cases[] = {
      {"0", 0},
      {"42", 42},
      {"   42", 42},
      {"+42", 42},
      {"-42", -42},
      {"007", 7},
      {"$1F", 31},
      {"x1f", 31},
      {"X1F", 31},
      {"0x1F", 31},
      {"0X1f", 31},
      {"-$10", -16},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"$7FFFFFFF", 2147483647},
      {"00000000000000000000012", 12},
      {"", std::nullopt},
      {" ", std::nullopt},
      {"42 ", std::nullopt},
      {"4 2", std::nullopt},
      {"\t42", std::nullopt},
      {"12a", std::nullopt},
      {"1.5", std::nullopt},
      {"1e3", std::nullopt},
      {"$", std::nullopt},
      {"0x", std::nullopt},
      {"x", std::nullopt},
      {"$G", std::nullopt},
      {"0x-1", std::nullopt},
      {"+-1", std::nullopt},
      {"--1", std::nullopt},
      {"2147483648", std::nullopt},
      {"-2147483649", std::nullopt},
      {"$80000000", std::nullopt},
      {"99999999999999999999999", std::nullopt},
      {"\xd9\xa3", std::nullopt},  // an Arabic-Indic digit is no digit here
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parse_integer(QString::fromUtf8(c.text)), c.expected) << "'" << c.text << "'";
  }
}

TEST(NumbersTest, FloatSyntaxTakesAPointNeverAComma) {
  const struct {
    const char* text;
    std::optional<double> expected;
  } cases[] = {
      {"2.5", 2.5},
      {"  2.5", 2.5},
      {"-2.5", -2.5},
      {"+.5", 0.5},
      {"5.", 5.0},
      {"42", 42.0},
      {"1e3", 1000.0},
      {"1.5E-2", 0.015},
      {"-1e+2", -100.0},
      {"0", 0.0},
      {"2,5", std::nullopt},
      {"", std::nullopt},
      {".", std::nullopt},
      {"e5", std::nullopt},
      {"1e", std::nullopt},
      {"1e+", std::nullopt},
      {"2.5 ", std::nullopt},
      {"nan", std::nullopt},
      {"inf", std::nullopt},
      {"1.2.3", std::nullopt},
      {"$10", std::nullopt},
      {"0x10", std::nullopt},
      {"1e999", std::nullopt},
      {"-2e308", std::nullopt},
      {"1e308", 1e308},
      {"4.9e-324", 4.9e-324},    // the smallest subnormal still converts
      {"1e-400", std::nullopt},  // nothing left of it
      {"0e999", 0.0},
      {"0.1000000000000000055511151231257827", 0.1},
  };
  for (const auto& c : cases) {
    const std::optional<double> value = parse_float(QString::fromUtf8(c.text));
    ASSERT_EQ(value.has_value(), c.expected.has_value()) << "'" << c.text << "'";
    if (value) {
      EXPECT_DOUBLE_EQ(*value, *c.expected) << "'" << c.text << "'";
    }
  }
}

// The short numbers of measurement files are converted without a library:
// every value must still be the correctly rounded double, bit for bit (the
// scan files store them), as std::from_chars gives it.
TEST(NumbersTest, FloatsAreCorrectlyRoundedBitForBit) {
  std::vector<std::string> texts = {"9007199254740992",
                                    "9007199254740993",
                                    "9007199254740995",
                                    "1e22",
                                    "1e23",
                                    "1e-22",
                                    "1e-23",
                                    "0.3",
                                    "-0",
                                    "-0.0",
                                    "0.1",
                                    "123456789012345678e-5",
                                    "1234567890123456789",
                                    "12345678901234567890",
                                    "0.000000000000000000001",
                                    "1.7976931348623157e308",
                                    "2.2250738585072014e-308",
                                    "8.589973e9",
                                    "-4.5e-2",
                                    "000000000000000000000012.5",
                                    "3.14159265358979323846",
                                    "1E0",
                                    "7e-0",
                                    "1.00000000000000011102230246251565"};
  // A sweep of the shapes instrument software writes: up to 17 digits with
  // 0 to 8 after the point, some with an exponent.
  std::mt19937_64 random(20261210);
  for (int n = 0; n < 200000; ++n) {
    const int digits = 1 + int(random() % 17);
    std::string text = n % 2 ? "-" : "";
    for (int i = 0; i < digits; ++i) text += char('0' + random() % 10);
    const int point = int(random() % 9);
    if (point < digits) text.insert(text.size() - point, ".");
    if (n % 5 == 0) text += "e" + std::to_string(int(random() % 61) - 30);
    texts.push_back(text);
  }
  for (const std::string& text : texts) {
    double expected = 0.0;
    const auto [stop, failure] = std::from_chars(text.data(), text.data() + text.size(), expected);
    ASSERT_EQ(failure, std::errc()) << text;
    ASSERT_EQ(stop, text.data() + text.size()) << text;
    const std::optional<double> value = parse_float(QString::fromStdString(text));
    ASSERT_TRUE(value.has_value()) << text;
    ASSERT_EQ(std::bit_cast<quint64>(*value), std::bit_cast<quint64>(expected)) << text;
  }
}

TEST(TextTest, DateTimeStampFollowsTheProgramClock) {
  platform::FaultEnv fault;
  platform::ScopedEnv use(&fault);
  const QDateTime moment(QDate(2024, 3, 5), QTime(7, 8, 9));
  fault.set_now(moment);
  const QString stamp = basics::date_time_stamp();
  EXPECT_TRUE(stamp.contains(QStringLiteral("  "))) << stamp.toStdString();
  fault.set_now(moment);
  EXPECT_EQ(basics::date_time_stamp(), stamp);
  fault.set_now(moment.addSecs(1));
  EXPECT_NE(basics::date_time_stamp(), stamp);
}

// Qt's long time formats end in the zone name ("07:08:09 UTC"); the stamp,
// like the operator's clock, ends with the seconds.
TEST(TextTest, LongTimeLeavesTheZoneOut) {
  for (const char* name : {"C", "de_DE", "en_US", "ja_JP"}) {
    const QLocale locale(QString::fromLatin1(name));
    const QString text = basics::long_time_text(locale, QTime(7, 8, 9));
    EXPECT_TRUE(text.contains(QStringLiteral("08"))) << name << ": " << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("UTC")) || text.contains(QStringLiteral("GMT")))
        << name << ": " << text.toStdString();
    EXPECT_EQ(text, text.trimmed()) << name;
  }
}

}  // namespace
