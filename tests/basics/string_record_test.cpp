#include "basics/string_record.h"

#include "basics/error.h"
#include "support/raw_bytes.h"
#include "support/temp_tree.h"

#include <QBuffer>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

using test_support::raw_bytes;

QByteArray float_bytes(float value) {
  QByteArray bytes(sizeof value, Qt::Uninitialized);
  std::memcpy(bytes.data(), &value, sizeof value);
  return bytes;
}

float float_from_bytes(const char* four_bytes) {
  float value;
  std::memcpy(&value, four_bytes, sizeof value);
  return value;
}

QByteArray int32_le(qint32 value) {
  QByteArray bytes(4, Qt::Uninitialized);
  qToLittleEndian(value, bytes.data());
  return bytes;
}

// One single-byte block: its length byte, `characters`, zero padding.
QByteArray block(quint8 length, const QByteArray& characters) {
  return char(length) + characters.leftJustified(255, '\0', true);
}

// Restores both versions after each test, as other tests expect the
// program's own.
class StringRecordsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    basics::read_file_version = 0.0f;
    basics::program_file_version = 3.99001f;
  }

  static QByteArray written(const QString& text, float version) {
    basics::program_file_version = version;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    basics::write_string_record(text, buffer);
    return buffer.data();
  }

  // Reads records from `bytes` one by one; `position` gets where the last
  // read ended.
  static QStringList read_all(const QByteArray& bytes, float version, int records,
                              qint64* position = nullptr) {
    basics::read_file_version = version;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QStringList texts;
    for (int i = 0; i < records; ++i) texts << basics::read_string_record(buffer);
    if (position) *position = buffer.pos();
    return texts;
  }
};

constexpr float kUtf16 = 3.99001f;
constexpr float kSingleByte = 3.0f;

TEST_F(StringRecordsTest, VersionsAndTheThreshold) {
  EXPECT_EQ(float_bytes(basics::program_file_version), QByteArray("\x53\x5C\x7F\x40"));
  const float nearest_318 = float_from_bytes("\x1F\x85\x4B\x40");
  EXPECT_EQ(nearest_318, 3.18f);
  EXPECT_TRUE(basics::uses_utf16_records(nearest_318));
  EXPECT_FALSE(basics::uses_utf16_records(3.17f));
  EXPECT_FALSE(basics::uses_utf16_records(std::nextafter(nearest_318, 0.0f)));
  EXPECT_FALSE(basics::uses_utf16_records(0.0f));
  EXPECT_TRUE(basics::uses_utf16_records(basics::program_file_version));

  // The same bytes, read at versions 3.18 and 3.17, take the two layouts.
  const QByteArray record = int32_le(2) + block(2, "hi");
  EXPECT_EQ(read_all(record, 3.17f, 1), QStringList{"hi"});
  EXPECT_EQ(read_all(record, nearest_318, 1), QStringList{QString(QChar(0x6802))});
}

TEST_F(StringRecordsTest, Utf16RoundTripAndBytes) {
  EXPECT_EQ(written("ab", kUtf16), raw_bytes("\x04\0\0\0a\0b\0"));
  EXPECT_EQ(written("", kUtf16), raw_bytes("\0\0\0\0"));
  const QString texts[] = {"", "a", QString::fromUtf8("Käse €"), QString(300, u'x'),
                           QString::fromUtf8("clef 𝄞 end")};
  for (const QString& text : texts) {
    EXPECT_EQ(read_all(written(text, kUtf16), kUtf16, 1), QStringList{text});
  }
}

TEST_F(StringRecordsTest, SingleByteRoundTripAndBlocks) {
  const struct {
    QString text;
    qsizetype size;  // count + blocks of 256
  } cases[] = {{"", 4 + 256},
               {QString::fromUtf8("Käse €"), 4 + 256},
               {QString(254, u'a'), 4 + 256},
               {QString(255, u'b'), 4 + 512},  // n = 255: two blocks, the second empty
               {QString(300, u'c'), 4 + 512}};
  for (const auto& c : cases) {
    const QByteArray bytes = written(c.text, kSingleByte);
    EXPECT_EQ(bytes.size(), c.size) << c.text.size();
    qint64 position = 0;
    EXPECT_EQ(read_all(bytes, kSingleByte, 1, &position), QStringList{c.text});
    EXPECT_EQ(position, c.size);
  }
  EXPECT_EQ(written(QString(255, u'b'), kSingleByte).mid(4 + 256, 1), QByteArray(1, '\0'));
}

// Hand-made records, some broken: what is read and where the next read starts.
TEST_F(StringRecordsTest, ReadingStopsAtTheEndOfTheStream) {
  const struct {
    const char* name;
    float version;
    QByteArray bytes;
    QStringList expected;  // one text per record read
    qint64 position;
  } cases[] = {
      {"UTF-16: fewer than 4 bytes left", kUtf16, raw_bytes("\x02\0\0"), {""}, 0},
      {"UTF-16: count past the end", kUtf16, int32_le(100) + raw_bytes("a\0b\0"), {""}, 4},
      {"UTF-16: negative count", kUtf16, int32_le(-2) + raw_bytes("a\0"), {""}, 4},
      {"UTF-16: odd count drops the last byte", kUtf16, int32_le(3) + raw_bytes("a\0Xz"), {"a"}, 7},
      {"UTF-16: next record after a broken count",
       kUtf16,
       int32_le(100) + int32_le(2) + raw_bytes("h\0"),
       {"", "h"},
       10},
      {"single byte: Windows-1252",
       kSingleByte,
       int32_le(2) + block(2, "\x80\xE4"),
       {QString::fromUtf8("€ä")},
       260},
      {"single byte: length byte wins over n",
       kSingleByte,
       int32_le(200) + block(3, "abcdef"),
       {"abc"},
       260},
      {"single byte: n = 255 is two blocks",
       kSingleByte,
       int32_le(255) + block(1, "x") + block(1, "y") + int32_le(1) + block(1, "z"),
       {"xy", "z"},
       776},
      {"single byte: n = -1 still one block",
       kSingleByte,
       int32_le(-1) + block(2, "hi"),
       {"hi"},
       260},
      {"single byte: n = -255 reads no block",
       kSingleByte,
       int32_le(-255) + block(2, "hi"),
       {""},
       4},
      {"single byte: fewer than 4 bytes left", kSingleByte, raw_bytes("\x01\0"), {""}, 0},
      {"single byte: short block ends the text",
       kSingleByte,
       int32_le(3) + QByteArray("\x03"
                                "ab"),
       {"ab"},
       7},
      {"single byte: block cut at the length byte",
       kSingleByte,
       int32_le(300) + block(255, QByteArray(255, 'q')) + "\x2d",
       {QString(255, u'q')},
       4 + 257},
      {"single byte: huge n, one block present",
       kSingleByte,
       int32_le(2147483647) + block(2, "hi"),
       {"hi"},
       260},
      {"single byte: UTF-16 record read at version 0",
       0.0f,
       raw_bytes("\x04\0\0\0a\0b\0"),
       {QString::fromLatin1(raw_bytes("\0b\0"))},
       8},
  };
  for (const auto& c : cases) {
    qint64 position = -1;
    EXPECT_EQ(read_all(c.bytes, c.version, int(c.expected.size()), &position), c.expected)
        << c.name;
    EXPECT_EQ(position, c.position) << c.name;
  }
}

// Files cut short in transfer: the intact records are read, the cut one is
// empty or ends early, and nothing is read past the end.
TEST_F(StringRecordsTest, TruncatedFiles) {
  qint64 position = 0;
  const QByteArray utf16 = test_support::fixture("string_records_utf16_truncated.bin");
  EXPECT_EQ(read_all(utf16, kUtf16, 3, &position),
            QStringList({"Alpha", QString::fromUtf8("Käse"), ""}));
  EXPECT_EQ(position, utf16.size() - 6);

  const QByteArray single = test_support::fixture("string_records_single_byte_truncated.bin");
  EXPECT_EQ(read_all(single, kSingleByte, 3, &position),
            QStringList({"abc", QString(255, u'q') + "rrrrrrrrr", ""}));
  EXPECT_EQ(position, single.size());
}

// A device that takes only the first `room` bytes, as a full disk would.
class limited_device : public QIODevice {
 public:
  explicit limited_device(qint64 room) : room_(room) { open(QIODevice::WriteOnly); }

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char*, qint64 size) override {
    const qint64 taken = std::min(size, room_);
    room_ -= taken;
    return taken;
  }

 private:
  qint64 room_;
};

TEST_F(StringRecordsTest, IncompleteWriteRaisesAnError) {
  for (const float version : {kUtf16, kSingleByte}) {
    limited_device device(5);
    basics::program_file_version = version;
    EXPECT_THROW(basics::write_string_record("text", device), basics::error) << version;
  }
  QBuffer read_only;
  read_only.open(QIODevice::ReadOnly);
  EXPECT_THROW(basics::write_string_record("", read_only), basics::error);
}

}  // namespace
