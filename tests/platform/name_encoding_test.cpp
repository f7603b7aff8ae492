// Names as bytes and as text: any bytes a listing gives come back unchanged
// from their text, and their portable form is valid text. No disk involved.

#include <gtest/gtest.h>

#include "platform/name_encoding.h"

namespace platform {
namespace {

TEST(NameEncodingTest, AnyBytesComeBackFromTheirText) {
  const QByteArray names[] = {
      "plain.csv",
      "a\xc3\xa4.csv",         // valid UTF-8
      "a\xe4.csv",             // a Latin-1 byte
      "\xc0\xaf",              // an overlong form
      "\xed\xa0\x80",          // an encoded surrogate
      "\xe4\xb8",              // a sequence cut short
      "\xf4\x90\x80\x80",      // beyond U+10FFFF
      "\xf0\x9f\x98\x80\xff",  // a valid four-byte sequence, then a stray byte
      "\x80\x81\xfe\xff",
  };
  for (const QByteArray& bytes : names) {
    SCOPED_TRACE(bytes.toHex().toStdString());
    const QString text = decoded_name(bytes.constData());
    EXPECT_EQ(encoded_name(text), bytes);
    EXPECT_EQ(text == QString::fromUtf8(bytes), QString::fromUtf8(bytes).toUtf8() == bytes);
  }
}

TEST(NameEncodingTest, ValidUtf8IsDecodedAsText) {
  EXPECT_EQ(decoded_name("a\xc3\xa4.csv"), QStringLiteral("a\u00e4.csv"));
  EXPECT_EQ(decoded_name("\xf0\x90\x82\x80"), QString::fromUcs4(U"\U00010080"));
  // That character's low surrogate is U+DC80, the escape of byte 0x80; as
  // the second unit of a pair it stays a character.
  EXPECT_EQ(encoded_name(QString::fromUcs4(U"\U00010080")), QByteArray("\xf0\x90\x82\x80"));
}

TEST(NameEncodingTest, DecodingEndsAtTheFirstNul) {
  const QByteArray bytes("ab\0cd", 5);
  EXPECT_EQ(decoded_name(bytes.constData()), QStringLiteral("ab"));
}

TEST(NameEncodingTest, UnescapedNamesShowEachStrayByteAsLatin1) {
  const struct {
    QByteArray bytes;
    QString text;
  } cases[] = {
      {"a\xe4.csv", QStringLiteral("a\u00e4.csv")},
      {"a\xc3\xa4.csv", QStringLiteral("a\u00e4.csv")},
      {"\xff\xfe", QStringLiteral("\u00ff\u00fe")},
      {"\xf0\x90\x82\x80", QString::fromUcs4(U"\U00010080")},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(unescaped_name(decoded_name(c.bytes.constData())), c.text)
        << c.bytes.toHex().toStdString();
  }
}

}  // namespace
}  // namespace platform
