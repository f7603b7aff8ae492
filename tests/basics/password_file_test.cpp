#include "basics/password_file.h"

#include "basics/string_record.h"
#include "support/recording_prompts.h"
#include "support/temp_tree.h"

#include <QBuffer>
#include <QtEndian>

#include <gtest/gtest.h>

#include <bit>
#include <optional>

namespace {

using test_support::recording_prompts;
using test_support::temp_tree;

// The float nearest 3.18 (1F 85 4B 40) lies above 3.18: UTF-16 records.
const float kVersionUtf16 = std::bit_cast<float>(quint32{0x404B851F});
// 3.17 selects the single-byte records.
const float kVersionSingleByte = 3.17f;

// Offsets of the password file's parts.
constexpr int kCountOffset = 752;
constexpr int kFirstRecord = 754;
constexpr int kUnusedRecordBytes = 28;

template <typename T>
QByteArray little_endian(T value) {
  QByteArray bytes(sizeof(T), Qt::Uninitialized);
  qToLittleEndian(value, bytes.data());
  return bytes;
}

QByteArray utf16_record(const QString& text) {
  QByteArray record = little_endian<qint32>(text.size() * 2);
  for (QChar c : text) record += little_endian<quint16>(c.unicode());
  return record;
}

// Latin-1 text in as many 256-byte blocks as the count asks for.
QByteArray single_byte_record(const QByteArray& text) {
  QByteArray record = little_endian<qint32>(text.size());
  for (qsizetype start = 0; start <= text.size(); start += 255) {
    const QByteArray part = text.mid(start, 255);
    record += char(part.size()) + part + QByteArray(255 - part.size(), '\0');
    if (part.size() < 255) break;
  }
  return record;
}

// A password file; the unused values hold a pattern that would show up in
// the text if they were not skipped.
QByteArray password_file(float version, const QList<QByteArray>& string_records,
                         std::optional<quint16> record_count = std::nullopt) {
  QByteArray file = little_endian<quint32>(std::bit_cast<quint32>(version));
  file += QByteArray(187 * 4, 'x');
  file += little_endian<quint16>(record_count.value_or(string_records.size()));
  for (const QByteArray& record : string_records) {
    file += QByteArray(kUnusedRecordBytes, 'y') + record;
  }
  return file;
}

const QString kReadFailure = QStringLiteral("Could not read password from file ");

class PasswordFileTest : public ::testing::Test {
 protected:
  void TearDown() override { basics::read_file_version = 0.0f; }

  // Reads `bytes` as the password file; the target starts non-empty to show
  // that it is emptied.
  QString read(const QByteArray& bytes) {
    path_ = tree_.write(QStringLiteral("vellic_pswd.bin"), bytes);
    QString target = QStringLiteral("stale");
    basics::read_password_file(target, path_, [this](const QString& text) { messages_ << text; });
    return target;
  }

  temp_tree tree_;
  QString path_;
  // Only the reader's messages: it raises no box itself.
  QStringList messages_;
  recording_prompts prompts_;
};

TEST_F(PasswordFileTest, ReadsBothStringRecordLayoutsFromStoredFiles) {
  struct stored_case {
    const char* fixture;
    float version;
    QString password;
  };
  const stored_case cases[] = {
      {"password_v318_utf16.bin", kVersionUtf16, QStringLiteral("Secret")},
      {"password_v317_single_byte.bin", kVersionSingleByte, QStringLiteral("Passw\u00f6rt")},
  };
  for (const stored_case& c : cases) {
    SCOPED_TRACE(c.fixture);
    EXPECT_EQ(read(test_support::fixture(QString::fromLatin1(c.fixture))), c.password);
    EXPECT_EQ(basics::read_file_version, c.version);
    EXPECT_TRUE(messages_.isEmpty());
  }
}

TEST_F(PasswordFileTest, JoinsTheRecordsInFileOrder) {
  struct join_case {
    const char* name;
    QByteArray file;
    QString password;
  };
  const QByteArray long_text(300, 'k');  // two single-byte blocks
  const join_case cases[] = {
      {"no records", password_file(kVersionUtf16, {}), QString()},
      {"several utf-16 records",
       password_file(kVersionUtf16, {utf16_record("ab"), utf16_record("C"), utf16_record("de")}),
       QStringLiteral("abCde")},
      {"an empty record adds nothing",
       password_file(kVersionUtf16, {utf16_record("ab"), utf16_record(""), utf16_record("c")}),
       QStringLiteral("abc")},
      {"several single-byte records",
       password_file(kVersionSingleByte, {single_byte_record("ab"), single_byte_record("cd")}),
       QStringLiteral("abcd")},
      {"empty single-byte record",
       password_file(kVersionSingleByte, {single_byte_record(""), single_byte_record("z")}),
       QStringLiteral("z")},
      {"single-byte record over two blocks",
       password_file(kVersionSingleByte, {single_byte_record(long_text), single_byte_record("!")}),
       QString::fromLatin1(long_text) + "!"},
      {"bytes after the last record are ignored",
       password_file(kVersionUtf16, {utf16_record("ab")}) + "trailing", QStringLiteral("ab")},
  };
  for (const join_case& c : cases) {
    SCOPED_TRACE(c.name);
    messages_.clear();
    EXPECT_EQ(read(c.file), c.password);
    EXPECT_TRUE(messages_.isEmpty());
  }
}

// A file cut short is reported, never read past its end, and keeps the texts
// of the records completed before the cut.
TEST_F(PasswordFileTest, ReportsAFileThatEndsEarly) {
  const QByteArray utf16 = password_file(kVersionUtf16, {utf16_record("ab"), utf16_record("cd")});
  const int second_record = kFirstRecord + kUnusedRecordBytes + 4 + 4;
  const QByteArray single =
      password_file(kVersionSingleByte, {single_byte_record("ab"), single_byte_record("cd")});
  const int second_single = kFirstRecord + kUnusedRecordBytes + 4 + 256;
  const QByteArray two_blocks =
      password_file(kVersionSingleByte, {single_byte_record(QByteArray(300, 'k'))});

  struct cut_case {
    const char* name;
    QByteArray file;
    QString kept;
  };
  const cut_case cases[] = {
      {"empty file", QByteArray(), QString()},
      {"inside the version", utf16.left(2), QString()},
      {"inside the unused values", utf16.left(400), QString()},
      {"inside the record count", utf16.left(kCountOffset + 1), QString()},
      {"inside a record's unused values", utf16.left(kFirstRecord + 10), QString()},
      {"inside a utf-16 count", utf16.left(kFirstRecord + kUnusedRecordBytes + 2), QString()},
      {"inside a utf-16 text", utf16.left(kFirstRecord + kUnusedRecordBytes + 6), QString()},
      {"inside the second record", utf16.left(second_record + 5), QStringLiteral("ab")},
      {"inside the last utf-16 text", utf16.chopped(1), QStringLiteral("ab")},
      {"inside a single-byte count", single.left(kFirstRecord + kUnusedRecordBytes + 3), QString()},
      {"inside a single-byte block", single.left(kFirstRecord + kUnusedRecordBytes + 4 + 3),
       QString()},
      {"inside the last single-byte block", single.left(second_single + kUnusedRecordBytes + 10),
       QStringLiteral("ab")},
      {"after the first of two blocks", two_blocks.chopped(256), QString()},
      {"record count past the end",
       password_file(kVersionUtf16, {utf16_record("ab"), utf16_record("cd")}, 3),
       QStringLiteral("abcd")},
  };
  for (const cut_case& c : cases) {
    SCOPED_TRACE(c.name);
    messages_.clear();
    EXPECT_EQ(read(c.file), c.kept);
    EXPECT_EQ(messages_, QStringList{kReadFailure + path_});
  }
}

// A UTF-16 count larger than the rest of the file yields an empty text and
// consumes only the count; the records after it are still read.
TEST_F(PasswordFileTest, ReadsOnAfterAnOversizedUtf16Count) {
  const QByteArray oversized = little_endian<qint32>(100000);
  const QByteArray file =
      password_file(kVersionUtf16, {utf16_record("ab"), oversized, utf16_record("cd")});
  EXPECT_EQ(read(file), QStringLiteral("abcd"));
  EXPECT_EQ(messages_, QStringList{kReadFailure + path_});
}

TEST_F(PasswordFileTest, ReportsAFileThatCannotBeRead) {
  const QString missing = tree_.path(QStringLiteral("missing.bin"));
  QString target = QStringLiteral("stale");
  basics::read_password_file(target, missing, [this](const QString& text) { messages_ << text; });
  EXPECT_EQ(target, QString());
  EXPECT_EQ(messages_, QStringList{kReadFailure + missing});
  EXPECT_TRUE(prompts_.texts().isEmpty());
}

// The format alone, on a memory buffer: it reads from the stream's position,
// leaves what follows the last record unread and reports nothing itself,
// since the operator's message belongs to the file reader.
TEST_F(PasswordFileTest, ReadsTheRecordsAtTheStreamsPosition) {
  struct stream_case {
    const char* name;
    QByteArray after_lead;
    bool complete;
    QString text;
    std::optional<QByteArray> left;  // what the stream still holds after the records
  };
  const QByteArray two = password_file(kVersionUtf16, {utf16_record("ab"), utf16_record("cd")});
  const stream_case cases[] = {
      {"complete, bytes after it", two + "tail", true, QStringLiteral("abcd"), "tail"},
      {"cut inside the second record", two.chopped(1), false, QStringLiteral("ab"), std::nullopt},
  };
  for (const stream_case& c : cases) {
    SCOPED_TRACE(c.name);
    QByteArray bytes = QByteArray("lead") + c.after_lead;
    QBuffer stream(&bytes);
    ASSERT_TRUE(stream.open(QIODevice::ReadOnly));
    ASSERT_TRUE(stream.seek(4));
    QString target = QStringLiteral("kept ");
    EXPECT_EQ(basics::read_password_records(stream, target), c.complete);
    EXPECT_EQ(target, QStringLiteral("kept ") + c.text);
    EXPECT_EQ(basics::read_file_version, kVersionUtf16);
    if (c.left) {
      EXPECT_EQ(stream.readAll(), *c.left);
    }
    EXPECT_TRUE(messages_.isEmpty());
  }
}

}  // namespace
