#include <gtest/gtest.h>

#include "platform/codepage.h"

namespace platform {
namespace {

TEST(CodepageTest, DecodesTheWindowsOnlyRange) {
  const struct {
    unsigned char byte;
    char16_t unicode;
  } cases[] = {
      {0x80, u'€'},
      {0x8A, u'Š'},
      {0x92, u'\u2019'},
      {0x96, u'–'},
      {0x9F, u'Ÿ'},
      // Bytes Windows-1252 leaves free come through as the C1 control of the
      // same number, as Windows decodes them, so nothing is lost.
      {0x81, u'\u0081'},
      {0x9D, u'\u009D'},
      {0xE9, u'é'},
      {0x41, u'A'},
      {0x00, u'\0'},
  };
  for (const auto& c : cases) {
    const QString text = ansi_to_unicode(QByteArray(1, char(c.byte)));
    ASSERT_EQ(text.size(), 1);
    EXPECT_EQ(text[0].unicode(), c.unicode) << "byte " << int(c.byte);
  }
}

TEST(CodepageTest, EveryByteSurvivesARoundTrip) {
  QByteArray all(256, Qt::Uninitialized);
  for (int byte = 0; byte < 256; ++byte) all[byte] = char(byte);
  EXPECT_EQ(unicode_to_ansi(ansi_to_unicode(all)), all);
}

TEST(CodepageTest, UnencodableCharactersBecomeQuestionMarks) {
  const struct {
    QString text;
    QByteArray ansi;
  } cases[] = {
      {u"Δλ = 5 €"_qs, "?? = 5 \x80"}, {u"a\U0001F600b"_qs, "a?b"},  // one character, one "?"
      {u"\u0101\u6E2C"_qs, "??"},      {u"a\x1A"_qs, "a\x1A"},       // a real SUB stays itself
      {QString(QChar(0xD800)), "?"},                                 // a lone surrogate
  };
  for (const auto& c : cases) {
    EXPECT_EQ(unicode_to_ansi(c.text), c.ansi) << c.text.toStdString();
  }
}

TEST(CodepageTest, TellsWhetherTheCodePageHoldsEveryCharacter) {
  const struct {
    QString text;
    bool held;
  } cases[] = {
      {QString(), true},
      {u"C:\\data\\wejécie_€ "_qs, true},  // Latin-1, euro, a free byte's C1
      {u"wejście"_qs, false},                   // s with acute: not in Windows-1252
      {u"č"_qs, false},
      {u"a\U0001F600"_qs, false},
      {QString(QChar(0xD800)), false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ansi_holds(c.text), c.held) << c.text.toStdString();
    if (c.held) {
      EXPECT_EQ(ansi_to_unicode(unicode_to_ansi(c.text)), c.text);
    }
  }
}

}  // namespace
}  // namespace platform
