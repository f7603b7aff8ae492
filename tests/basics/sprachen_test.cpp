#include "basics/sprachen.h"

#include "basics/error.h"
#include "basics/string_record.h"
#include "support/fault_env.h"
#include "support/recording_prompts.h"
#include "support/system_entries.h"
#include "support/temp_tree.h"
#include "support/thrown_text.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QtEndian>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <optional>
#include <ostream>

// Readable words in failure messages.
static void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace {

using basics::sprachen;
using basics::vokabel_liste;
using test_support::fixture;
using test_support::temp_tree;
using ::testing::AllOf;
using ::testing::HasSubstr;

QString fixture_path(const char* name) {
  return QStringLiteral(TEST_DATA_DIR "/") + name;
}

QByteArray int32_bytes(qint32 value) {
  QByteArray bytes(4, '\0');
  qToLittleEndian(value, bytes.data());
  return bytes;
}

QByteArray float_bytes(float value) {
  return int32_bytes(std::bit_cast<qint32>(value));
}

QByteArray utf16_record(const QString& text) {
  QStringEncoder encoder(QStringEncoder::Utf16LE);
  const QByteArray data = encoder.encode(text);
  return int32_bytes(data.size()) + data;
}

QByteArray body_bytes(const vokabel_liste& rows) {
  QByteArray bytes = int32_bytes(rows.first().size()) + int32_bytes(rows.size());
  for (const basics::vokabel& row : rows)
    for (const QString& word : row) bytes += utf16_record(word);
  return bytes;
}

// A table with exactly these rows (the first row is the header), read from
// a body built here, so that read_file_version stays as the test set it.
sprachen table_of(const vokabel_liste& rows) {
  QByteArray bytes = body_bytes(rows);
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  const float version = basics::read_file_version;
  basics::read_file_version = basics::program_file_version;
  sprachen table;
  table.load_from_stream(buffer);
  basics::read_file_version = version;
  return table;
}

QByteArray utf16_le_with_bom(const QString& text) {
  QStringEncoder encoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
  return encoder.encode(text);
}

// The rows of the probe-heads fixture, as tests/data/make_vocabulary_fixtures.py writes them.
const vokabel_liste kProbeHeads = {
    {"Nickname", "Probe head"},
    {"coater_top", QStringLiteral("Kopf Süd")},
    {"coater_bottom", "PH-2"},
    {"", QStringLiteral("€ 東京")},
};

const vokabel_liste kOldWords = {
    {"Nickname", "English", "Deutsch"},
    {"greeting", "greetings", QStringLiteral("Grüße")},
    {"long", QString(300, u'x'), ""},
};

class SprachenTest : public ::testing::Test {
 protected:
  void SetUp() override { basics::read_file_version = 0.0f; }
  void TearDown() override { basics::read_file_version = 0.0f; }

  test_support::recording_prompts prompts_;
  // The table's own messages: it raises no box itself.
  QStringList messages_;
  temp_tree tree_;
};

// ---- Cells and lookups -------------------------------------------------------

TEST_F(SprachenTest, new_table_holds_the_three_column_names) {
  const sprachen table;
  EXPECT_EQ(table.anzahl_sprachen(), 3);
  EXPECT_EQ(table.anzahl_vokabeln(), 1);
  EXPECT_EQ(table.meine_liste(), (vokabel_liste{{"Nickname", "English", "Deutsch"}}));
  EXPECT_TRUE(table.my_title().isEmpty());
}

TEST_F(SprachenTest, lookups_on_a_new_table_search_the_header_row) {
  const sprachen table;
  EXPECT_EQ(table.wort(0, 2), "Deutsch");
  EXPECT_EQ(table.get_index("Nickname", 0), 0);
  EXPECT_EQ(table.nickname("English", 1), "Nickname");
  EXPECT_EQ(table.nickname("Englisch", 1), "");
  EXPECT_EQ(table.translation("absent", 1, "---"), "---");
}

TEST_F(SprachenTest, cells_outside_the_table_are_empty_and_ignore_writes) {
  sprachen table = table_of(kProbeHeads);
  struct cell {
    int row, column;
  };
  for (const cell c : {cell{-1, 0}, cell{0, -1}, cell{4, 0}, cell{0, 2}, cell{INT_MAX, INT_MAX}}) {
    SCOPED_TRACE(testing::Message() << c.row << "," << c.column);
    EXPECT_EQ(table.wort(c.row, c.column), "");
    table.set_wort(c.row, c.column, "x");
  }
  EXPECT_EQ(table.meine_liste(), kProbeHeads);
}

// The insitu conversion's question: which measurement receives this probe head?
TEST_F(SprachenTest, probe_head_lookups) {
  const sprachen table = table_of(kProbeHeads);
  struct lookup {
    QString word;
    int language;
    int index;
    QString nickname;
  };
  const lookup cases[] = {
      {"PH-2", 1, 2, "coater_bottom"},
      {QStringLiteral("Kopf Süd"), 1, 1, "coater_top"},
      {QStringLiteral("€ 東京"), 1, 3, ""},  // present, with an empty nickname
      {"ph-2", 1, -1, ""},                   // case counts
      {" PH-2", 1, -1, ""},                  // nothing is trimmed
      {"PH-9", 1, -1, ""},                   // absent
      {"Probe head", 1, 0, "Nickname"},      // the header row takes part
      {"PH-2", 0, -1, ""},                   // another column
      {"PH-2", 2, -1, ""},                   // no such column
      {"PH-2", -1, -1, ""},
  };
  for (const lookup& c : cases) {
    SCOPED_TRACE(c.word.toStdString() + " in column " + std::to_string(c.language));
    EXPECT_EQ(table.get_index(c.word, c.language), c.index);
    EXPECT_EQ(table.nickname(c.word, c.language), c.nickname);
  }
}

TEST_F(SprachenTest, translation_falls_back_on_the_default_or_the_nickname) {
  const sprachen table = table_of({{"Nickname", "English", "Deutsch"},
                                   {"Head A", "probe head", ""},
                                   {"Head B", "", "Messkopf"}});
  struct lookup {
    QString nickname;
    int language;
    QString translation;  // with the default "---"
    QString nickname_as_default;
  };
  const lookup cases[] = {
      {"Head A", 1, "probe head", "probe head"},
      {"Head A", 2, "---", "Head A"},  // empty cell
      {"Head B", 2, "Messkopf", "Messkopf"},
      {"head a", 1, "---", "head a"},  // case counts
      {"Head A", 3, "---", "Head A"},  // no such column
      {"Head C", 1, "---", "Head C"},
  };
  for (const lookup& c : cases) {
    SCOPED_TRACE(c.nickname.toStdString() + " in column " + std::to_string(c.language));
    EXPECT_EQ(table.translation(c.nickname, c.language, "---"), c.translation);
    EXPECT_EQ(table.translation_nickname_as_default(c.nickname, c.language), c.nickname_as_default);
  }
}

// ---- Growing, clearing, sorting ----------------------------------------------

TEST_F(SprachenTest, a_new_word_row_has_an_empty_cell_per_column) {
  sprachen table;
  table.anzahl_vokabeln_plus();
  EXPECT_EQ(table.anzahl_vokabeln(), 2);
  EXPECT_EQ(table.meine_liste().last(), (basics::vokabel{"", "", ""}));
}

TEST_F(SprachenTest, deleting_a_row_moves_the_later_rows_up_but_keeps_the_last_row) {
  struct deletion {
    vokabel_liste rows;
    int index;
    bool deleted;
    vokabel_liste after;
  };
  const deletion cases[] = {
      {{{"Nickname", "English"}, {"a", "1"}, {"b", "2"}},
       1,
       true,
       {{"Nickname", "English"}, {"b", "2"}}},
      // The header row can go too; the next row then names the columns.
      {{{"Nickname", "English"}, {"a", "1"}}, 0, true, {{"a", "1"}}},
      {{{"Nickname", "English"}}, 0, false, {{"Nickname", "English"}}},
      {{{"Nickname", "English"}, {"a", "1"}}, 2, false, {{"Nickname", "English"}, {"a", "1"}}},
      {{{"Nickname", "English"}, {"a", "1"}}, -1, false, {{"Nickname", "English"}, {"a", "1"}}},
  };
  for (const deletion& c : cases) {
    SCOPED_TRACE("row " + std::to_string(c.index) + " of " + std::to_string(c.rows.size()));
    sprachen table = table_of(c.rows);
    EXPECT_EQ(table.delete_vokabel(c.index), c.deleted);
    EXPECT_EQ(table.meine_liste(), c.after);
    EXPECT_EQ(table.anzahl_vokabeln(), c.after.size());
  }
}

TEST_F(SprachenTest, a_new_language_column_is_headed_by_its_name) {
  sprachen table = table_of({{"Nickname", "English"}, {"a", "b"}});
  table.anzahl_sprachen_plus(QStringLiteral("Fran\u00e7ais"));
  EXPECT_EQ(table.anzahl_sprachen(), 3);
  EXPECT_EQ(
      table.meine_liste(),
      (vokabel_liste{{"Nickname", "English", QStringLiteral("Fran\u00e7ais")}, {"a", "b", ""}}));
  // The window asks for the name; the table asks nothing.
  EXPECT_TRUE(prompts_.shown().isEmpty());
}

TEST_F(SprachenTest, clear_leaves_two_columns_and_keeps_the_title) {
  sprachen table = table_of(kOldWords);
  table.set_title("Probe heads");
  table.clear();
  EXPECT_EQ(table.anzahl_sprachen(), 2);
  EXPECT_EQ(table.meine_liste(), (vokabel_liste{{"Nickname", "English"}}));
  EXPECT_EQ(table.my_title(), "Probe heads");
}

TEST_F(SprachenTest, sort_folds_only_a_to_z_and_keeps_equal_nicknames_in_order) {
  sprachen table = table_of({{"Nickname", "English"},
                             {"beta", "1"},
                             {"Alpha", "2"},
                             {"alpha", "3"},
                             {"Zulu", "4"},
                             {QStringLiteral("ärger"), "5"},
                             {"Alph", "6"},
                             {"", "7"}});
  table.sort();
  EXPECT_EQ(table.meine_liste(), (vokabel_liste{{"Nickname", "English"},
                                                {"", "7"},
                                                {"Alph", "6"},
                                                {"Alpha", "2"},
                                                {"alpha", "3"},
                                                {"beta", "1"},
                                                {"Zulu", "4"},
                                                {QStringLiteral("ärger"), "5"}}));
}

TEST_F(SprachenTest, sort_never_moves_the_header_row) {
  sprachen two_rows = table_of({{"zzz", "header"}, {"aaa", "word"}});
  two_rows.sort();
  EXPECT_EQ(two_rows.wort(0, 0), "zzz");
  sprachen three_rows = table_of({{"zzz", "header"}, {"b", "1"}, {"a", "2"}});
  three_rows.sort();
  EXPECT_EQ(three_rows.meine_liste(), (vokabel_liste{{"zzz", "header"}, {"a", "2"}, {"b", "1"}}));
}

// ---- Vocabulary files ----------------------------------------------------------

TEST_F(SprachenTest, save_writes_the_documented_bytes) {
  const QString path = tree_.path("probeheads.bin");
  table_of(kProbeHeads).save_to_file(path);
  EXPECT_EQ(tree_.read("probeheads.bin"), fixture("vocabulary_probeheads.bin"));
}

TEST_F(SprachenTest, save_and_load_keep_every_word) {
  const vokabel_liste tables[] = {
      kProbeHeads,
      {{"Nickname", "English", "Deutsch", "日本語"},
       {"check", "check", QStringLiteral("Überprüfung"), QStringLiteral("検査")},
       {"", "", "", ""},
       {"euro", QStringLiteral("€"), QStringLiteral("€"), QStringLiteral("ユーロ 😀")}},
      {{"Nickname"}},
  };
  for (const vokabel_liste& rows : tables) {
    const QString path = tree_.path("words.bin");
    table_of(rows).save_to_file(path);
    sprachen loaded;
    loaded.set_title("kept");
    EXPECT_TRUE(loaded.load_from_file(path));
    EXPECT_EQ(loaded.anzahl_sprachen(), rows.first().size());
    EXPECT_EQ(loaded.anzahl_vokabeln(), rows.size());
    EXPECT_EQ(loaded.meine_liste(), rows);
    EXPECT_EQ(loaded.my_title(), "kept");
    EXPECT_EQ(basics::read_file_version, basics::program_file_version);
  }
}

TEST_F(SprachenTest, old_files_are_read_with_single_byte_records) {
  struct old_file {
    const char* name;
    float version;
  };
  for (const old_file f : {old_file{"vocabulary_headerless.bin", 3.17f},
                           old_file{"vocabulary_old_version.bin", 3.17f}}) {
    SCOPED_TRACE(f.name);
    sprachen table;
    EXPECT_TRUE(table.load_from_file(fixture_path(f.name)));
    EXPECT_EQ(table.meine_liste(), kOldWords);
    EXPECT_EQ(basics::read_file_version, f.version);
  }
}

TEST_F(SprachenTest, files_of_eleven_bytes_or_less_leave_the_table_as_it_was) {
  for (const QByteArray& bytes : {QByteArray(), QByteArray("UNICODE\x53\x5c\x7f", 10),
                                  QByteArray("UNICODE\x53\x5c\x7f\x40", 11)}) {
    SCOPED_TRACE(bytes.size());
    sprachen table = table_of(kOldWords);
    EXPECT_FALSE(table.load_from_file(tree_.write("short.bin", bytes)));
    EXPECT_EQ(table.meine_liste(), kOldWords);
    EXPECT_EQ(basics::read_file_version, 0.0f);
  }
}

QByteArray current_header() {
  return QByteArray("UNICODE") + float_bytes(3.99001f);
}

TEST_F(SprachenTest, damaged_files_raise_an_error_and_leave_the_table_as_it_was) {
  struct damaged_file {
    const char* what;
    QByteArray bytes;
    const char* message_part;
  };
  const QByteArray good = fixture("vocabulary_probeheads.bin");
  const damaged_file cases[] = {
      {"cut inside the last word", fixture("vocabulary_truncated.bin"),
       "ends inside the word of row 3, column 1"},
      {"a million words announced", fixture("vocabulary_lying_count.bin"),
       "announces 2 languages and 1000000 words, more than the data can hold"},
      {"one row more announced than stored", good.left(15) + int32_bytes(5) + good.mid(19),
       "ends inside the word of row 4, column 0"},
      {"the largest counts", current_header() + int32_bytes(INT_MAX) + int32_bytes(INT_MAX),
       "more than the data can hold"},
      {"negative columns", current_header() + int32_bytes(-2) + int32_bytes(1) + QByteArray(8, 0),
       "announces -2 languages"},
      {"no rows", current_header() + int32_bytes(2) + int32_bytes(0), "at least one of each"},
      {"no row count", current_header() + int32_bytes(2), "ends before its word counts"},
      {"word longer than the file",
       current_header() + int32_bytes(1) + int32_bytes(1) + int32_bytes(1000) + "ab",
       "ends inside the word of row 0, column 0"},
      {"headerless, single-byte block cut short", fixture("vocabulary_headerless.bin").left(600),
       "ends inside the word of row 0, column 2"},
  };
  for (const damaged_file& c : cases) {
    SCOPED_TRACE(c.what);
    const QString path = tree_.write("damaged.bin", c.bytes);
    sprachen table = table_of(kOldWords);
    EXPECT_THAT(thrown_text([&] { table.load_from_file(path); }),
                AllOf(HasSubstr(path.toStdString()), HasSubstr(c.message_part)));
    EXPECT_EQ(table.meine_liste(), kOldWords);
  }
}

TEST_F(SprachenTest, a_missing_file_raises_an_error_naming_it) {
  sprachen table;
  const QString path = tree_.path("absent.bin");
  EXPECT_THAT(thrown_text([&] { table.load_from_file(path); }), HasSubstr(path.toStdString()));
  EXPECT_EQ(table.anzahl_sprachen(), 3);
}

TEST_F(SprachenTest, a_failed_save_raises_an_error_and_keeps_the_old_file) {
  const QString path = tree_.write("words.bin", fixture("vocabulary_probeheads.bin"));
  platform::FaultEnv fault;
  platform::ScopedEnv use(&fault);
  for (const auto& make_fault : {+[](platform::FaultEnv& f) { f.fail_writes_after(20); },
                                 +[](platform::FaultEnv& f) { f.refuse_replace(); }}) {
    fault.clear_faults();
    make_fault(fault);
    EXPECT_THROW(table_of(kOldWords).save_to_file(path), basics::error);
    EXPECT_EQ(tree_.read("words.bin"), fixture("vocabulary_probeheads.bin"));
  }
  EXPECT_EQ(QDir(tree_.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"words.bin"});
}

TEST_F(SprachenTest, saving_through_a_link_writes_its_target_and_keeps_its_mode) {
  SKIP_ON_WINDOWS("symbolic links");
  const QString real = tree_.write("real/words.bin", QByteArray("old"));
  ASSERT_TRUE(QFile::setPermissions(real, QFile::ReadOwner | QFile::WriteOwner));
  const QFile::Permissions private_ones = QFile::permissions(real);
  ASSERT_TRUE(QFile::link(real, tree_.path("words.bin")));
  table_of(kOldWords).save_to_file(tree_.path("words.bin"));
  EXPECT_TRUE(QFileInfo(tree_.path("words.bin")).isSymLink());
  sprachen loaded;
  loaded.load_from_file(real);
  EXPECT_EQ(loaded.meine_liste(), kOldWords);
  EXPECT_EQ(QFile::permissions(real), private_ones);
}

TEST_F(SprachenTest, saving_into_a_missing_folder_raises_an_error) {
  EXPECT_THROW(sprachen().save_to_file(tree_.path("absent/words.bin")), basics::error);
}

// ---- Streams -------------------------------------------------------------------

TEST_F(SprachenTest, stream_body_round_trip_starts_and_ends_at_the_position) {
  QByteArray bytes("prefix");
  QBuffer out(&bytes);
  out.open(QIODevice::Append);
  table_of(kProbeHeads).save_to_stream(out);
  out.write("suffix");
  out.close();
  EXPECT_EQ(bytes, "prefix" + fixture("vocabulary_probeheads.bin").mid(11) + "suffix");

  basics::read_file_version = basics::program_file_version;
  QBuffer in(&bytes);
  in.open(QIODevice::ReadOnly);
  in.seek(6);
  sprachen table;
  table.load_from_stream(in);
  EXPECT_EQ(table.meine_liste(), kProbeHeads);
  EXPECT_EQ(in.readAll(), "suffix");
}

TEST_F(SprachenTest, stream_records_follow_the_read_version) {
  QByteArray bytes = fixture("vocabulary_headerless.bin");
  QBuffer in(&bytes);
  in.open(QIODevice::ReadOnly);
  basics::read_file_version = 0.0f;
  sprachen table;
  table.load_from_stream(in);
  EXPECT_EQ(table.meine_liste(), kOldWords);

  // A UTF-16 body read with single-byte records asks for whole 256-byte
  // blocks that are not there.
  QByteArray utf16_body = fixture("vocabulary_probeheads.bin").mid(11);
  QBuffer utf16_in(&utf16_body);
  utf16_in.open(QIODevice::ReadOnly);
  EXPECT_THROW(table.load_from_stream(utf16_in), basics::error);
  EXPECT_EQ(table.meine_liste(), kOldWords);
}

// ---- Tab-separated text --------------------------------------------------------

TEST_F(SprachenTest, export_writes_utf16_with_byte_order_mark_and_crlf) {
  const QString path = tree_.path("words.txt");
  table_of({{"Nickname", "English"}, {QStringLiteral("Süd"), ""}, {"", "€"}})
      .export_to_textfile(path);
  EXPECT_EQ(tree_.read("words.txt"),
            utf16_le_with_bom(QStringLiteral("Nickname\tEnglish\r\nSüd\t\r\n\t€\r\n")));
}

TEST_F(SprachenTest, export_and_import_keep_every_word_but_their_blanks) {
  const QString path = tree_.path("words.txt");
  sprachen original = table_of({{"Nickname", "English", "日本語"},
                                {"  padded ", QStringLiteral("Überprüfung"), ""},
                                {"", "", QStringLiteral("検査")}});
  original.export_to_textfile(path);
  sprachen imported;
  imported.set_title("kept");
  imported.import_from_textfile(path);
  EXPECT_EQ(imported.meine_liste(), (vokabel_liste{{"Nickname", "English", "日本語"},
                                                   {"padded", QStringLiteral("Überprüfung"), ""},
                                                   {"", "", QStringLiteral("検査")}}));
  EXPECT_EQ(imported.my_title(), "kept");
}

TEST_F(SprachenTest, import_takes_its_columns_from_the_first_line) {
  struct text_file {
    const char* what;
    QByteArray bytes;
    vokabel_liste rows;
  };
  const text_file cases[] = {
      {"ANSI, LF, short and long lines",
       "Nickname\tEnglish\tDeutsch\n a \tb\nc\td\te\tf\n\n",
       {{"Nickname", "English", "Deutsch"}, {"a", "b", ""}, {"c", "d", "e"}, {"", "", ""}}},
      {"ANSI bytes are Windows-1252",
       "Nickname\tDeutsch\r\nx\tGr\xFC\xDF"
       "e\r\n",
       {{"Nickname", "Deutsch"}, {"x", QStringLiteral("Grüße")}}},
      {"UTF-8 without byte-order mark, as Linux editors write it",
       "Nickname\tDeutsch\nx\t\xC3\x9C"
       "BEN\n",
       {{"Nickname", "Deutsch"}, {"x", QStringLiteral("ÜBEN")}}},
      {"UTF-8 with byte-order mark, CR",
       "\xEF\xBB\xBFNickname\r\xE2\x82\xAC",
       {{"Nickname"}, {QStringLiteral("€")}}},
      {"a single empty line", "\r\n", {{""}}},
  };
  for (const text_file& c : cases) {
    SCOPED_TRACE(c.what);
    sprachen table;
    table.import_from_textfile(tree_.write("words.txt", c.bytes));
    EXPECT_EQ(table.anzahl_sprachen(), c.rows.first().size());
    EXPECT_EQ(table.meine_liste(), c.rows);
  }
}

TEST_F(SprachenTest, unusable_text_files_raise_an_error_and_change_nothing) {
  struct text_file {
    const char* what;
    QString path;
    const char* message_part;
  };
  // 100000 columns times 50 lines: millions of empty words from a 100 kB file.
  const QByteArray wide = QByteArray(100000, '\t') + QByteArray(50, '\n');
  const text_file cases[] = {
      {"empty", tree_.write("empty.txt", QByteArray()), "holds no lines"},
      {"missing", tree_.path("missing.txt"), "missing.txt"},
      {"far too wide", tree_.write("wide.txt", wide), "100001 languages and 50 words"},
      {"a word list file", tree_.write("words.txt", fixture("vocabulary_probeheads.bin")),
       "is a word list file"},
      {"NUL bytes", tree_.write("with_nul.txt", QByteArray("a\tb\r\nc\0d\te\r\n", 11)),
       "holds NUL characters"},
  };
  for (const text_file& c : cases) {
    SCOPED_TRACE(c.what);
    sprachen table = table_of(kProbeHeads);
    EXPECT_THAT(thrown_text([&] { table.import_from_textfile(c.path); }),
                AllOf(HasSubstr(c.path.toStdString()), HasSubstr(c.message_part)));
    EXPECT_EQ(table.meine_liste(), kProbeHeads);
  }
  for (const text_file& c : {cases[0], cases[1], cases[3], cases[4]}) {
    SCOPED_TRACE(c.what);
    sprachen table = table_of(kProbeHeads);
    EXPECT_THROW(
        table.append_from_textfile(c.path, [this](const QString& text) { messages_ << text; }),
        basics::error);
    EXPECT_EQ(table.meine_liste(), kProbeHeads);
  }
  EXPECT_TRUE(messages_.isEmpty());
  EXPECT_TRUE(prompts_.texts().isEmpty());
}

TEST_F(SprachenTest, append_adds_every_line_the_header_line_too) {
  const QString path = tree_.path("words.txt");
  table_of({{"Nickname", "Probe head"}, {"coater_3", "PH-3"}}).export_to_textfile(path);
  sprachen table = table_of(kProbeHeads);
  table.append_from_textfile(path, [this](const QString& text) { messages_ << text; });
  vokabel_liste expected = kProbeHeads;
  expected << basics::vokabel{"Nickname", "Probe head"} << basics::vokabel{"coater_3", "PH-3"};
  EXPECT_EQ(table.meine_liste(), expected);
  EXPECT_TRUE(messages_.isEmpty());
  EXPECT_TRUE(prompts_.texts().isEmpty());
}

TEST_F(SprachenTest, append_refuses_another_number_of_columns) {
  const QString path = tree_.write("words.txt", "Nickname\tEnglish\tDeutsch\r\na\tb\tc\r\n");
  sprachen table = table_of(kProbeHeads);
  table.append_from_textfile(path, [this](const QString& text) { messages_ << text; });
  EXPECT_EQ(
      messages_,
      QStringList{"Error: Number of languages in file does not match current number in program"});
  EXPECT_TRUE(prompts_.texts().isEmpty());
  EXPECT_EQ(table.meine_liste(), kProbeHeads);
}

}  // namespace
