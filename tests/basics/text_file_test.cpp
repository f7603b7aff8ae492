#include "basics/text_file.h"

#include "basics/error.h"
#include "support/fault_env.h"
#include "support/raw_bytes.h"
#include "support/system_entries.h"
#include "support/temp_tree.h"
#include "support/thrown_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using test_support::raw_bytes;
using ::testing::HasSubstr;

TEST(TextFilesTest, LineEndsAndByteOrderMarks) {
  const struct {
    const char* name;
    QByteArray input;
    QStringList expected;
  } cases[] = {
      {"CR LF", "a\r\nb\r\n", {"a", "b"}},
      {"LF, no final line end", "a\nb", {"a", "b"}},
      {"CR", "a\rb\r", {"a", "b"}},
      {"empty lines kept", "a\r\n\r\nb", {"a", "", "b"}},
      {"LF CR is two line ends", "a\n\rb", {"a", "", "b"}},
      {"mixed", "a\rb\nc\r\nd", {"a", "b", "c", "d"}},
      {"one empty line", "\r\n", {""}},
      {"empty file", "", {}},
      {"final empty line", "a\r\n\n", {"a", ""}},
      {"UTF-8 mark", "\xEF\xBB\xBFK\xC3\xA4y\r\nv", {QString::fromUtf8("Käy"), "v"}},
      {"UTF-16 LE mark", raw_bytes("\xFF\xFEK\0\xE4\0\r\0\n\0v\0"), {QString::fromUtf8("Kä"), "v"}},
      {"UTF-16 BE mark", raw_bytes("\xFE\xFF\0K\0\xE4\0\n\0v"), {QString::fromUtf8("Kä"), "v"}},
      {"UTF-16 LE, CR only", raw_bytes("\xFF\xFEx\0\r\0y\0\r\0"), {"x", "y"}},
      {"second mark stays", "\xEF\xBB\xBF\xEF\xBB\xBFk", {QChar(0xFEFF) + QString("k")}},
      {"UTF-8 without mark is Windows-1252", "\xC3\xA4", {QString::fromUtf8("Ã¤")}},
      {"Windows-1252 0x80-0x9F", "\x80\x85\x8A\x92\x9C\x9F", {QString::fromUtf8("€…Š’œŸ")}},
      {"Windows-1252 Latin-1 range", "\xE4\xF6\xFC\xDF\xB0", {QString::fromUtf8("äöüß°")}},
      {"NUL bytes are kept", raw_bytes("a\0b\nc"), {QString::fromUtf8(raw_bytes("a\0b")), "c"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(basics::lines_from_bytes(c.input), c.expected) << c.name;
  }
}

// Hand-made tables: UTF-8 without a mark is read as UTF-8; everything else
// reads exactly as lines_from_bytes reads it.
TEST(TextFilesTest, Utf8WithoutMarkIsReadAsUtf8WhereTheBytesAreUtf8) {
  const struct {
    const char* name;
    QByteArray input;
    QStringList utf8_lines;  // none: read as lines_from_bytes reads it
  } cases[] = {
      {"UTF-8 without mark",
       "x\t\xC3\x9C"
       "BEN\n\xE2\x82\xAC",
       {"x\t\u00DCBEN", "\u20AC"}},
      {"plain ASCII", "Nickname\tEnglish\r\na\tb", {}},
      {"Windows-1252",
       "x\t\xDC"
       "BEN\r\n",
       {}},
      {"Windows-1252 that starts like UTF-8",
       "Gr\xC3\xFC\xDF"
       "e",
       {}},
      {"UTF-8 cut inside its last letter", "\xC3\x9C\xC3", {}},
      {"overlong UTF-8", "\xC0\x80", {}},
      {"UTF-8 of a surrogate", "\xED\xA0\x80", {}},
      {"UTF-8 mark", "\xEF\xBB\xBF\xC3\x9C", {}},
      {"UTF-16 LE mark", raw_bytes("\xFF\xFEK\0\xE4\0"), {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const basics::decoded_lines read = basics::lines_from_bytes_detecting_utf8(c.input);
    EXPECT_EQ(read.utf8_without_mark, !c.utf8_lines.isEmpty());
    EXPECT_EQ(read.lines,
              c.utf8_lines.isEmpty() ? basics::lines_from_bytes(c.input) : c.utf8_lines);
  }
}

TEST(TextFilesTest, CutUtf16NeverReadsPastTheEnd) {
  const QStringList lines = basics::lines_from_bytes(raw_bytes("\xFF\xFEo\0k\0\n\0z"));
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(lines[0], "ok");
}

TEST(TextFilesTest, WrittenAsWindows1252WithCrLfAfterEveryLine) {
  EXPECT_EQ(basics::bytes_from_lines({"a", QString::fromUtf8("€ä"), ""}),
            QByteArray("a\r\n\x80\xE4\r\n\r\n"));
  EXPECT_EQ(basics::bytes_from_lines({QString::fromUtf8("Ω1")}), QByteArray("?1\r\n"));
  EXPECT_EQ(basics::bytes_from_lines({}), QByteArray());
  const QStringList ansi = {QString::fromUtf8("€…Š’œŸ äöüß"), "", "x"};
  EXPECT_EQ(basics::lines_from_bytes(basics::bytes_from_lines(ansi)), ansi);
}

TEST(TextFilesTest, WriteThenReadAFile) {
  const test_support::temp_tree tree;
  const QString path = tree.path("out.ini");
  tree.write("out.ini", "old contents that are longer than the new ones\r\n");
  basics::write_lines(path, {"Key", QString::fromUtf8("wert ä")});
  EXPECT_EQ(tree.read("out.ini"), QByteArray("Key\r\nwert \xE4\r\n"));
  EXPECT_EQ(basics::read_lines(path), QStringList({"Key", QString::fromUtf8("wert ä")}));
}

TEST(TextFilesTest, ReadingAMissingFileNamesIt) {
  const test_support::temp_tree tree;
  const QString path = tree.path("missing.ini");
  EXPECT_THAT(thrown_text([&] { basics::read_lines(path); }), HasSubstr(path.toStdString()));
}

// A measurement file is read up to its kind's limit and refused, unread and
// with its size named, beyond it.
TEST(TextFilesTest, AMeasurementFileBeyondItsLimitIsRefusedUnread) {
  const test_support::temp_tree tree;
  const QString path = tree.write("m.csv", "a,b\r\nc,d\r\n");  // 10 bytes
  EXPECT_EQ(basics::read_measurement_lines(path, 10), QStringList({"a,b", "c,d"}));
  EXPECT_FALSE(basics::oversize_refusal(path, 10));
  const QString refusal =
      "The file holds 0.0 MB (10 bytes), more than any measurement of its kind (at most 0.0 MB); "
      "it is not read.";
  EXPECT_EQ(basics::oversize_refusal(path, 9), refusal);
  tree.write_sparse("huge.csv", "x", qint64(65) << 20);
  EXPECT_EQ(
      thrown_text([&] { basics::read_measurement_lines(tree.path("huge.csv"), qint64(64) << 20); }),
      "The file holds 65.0 MB (68157440 bytes), more than any measurement of its kind "
      "(at most 64.0 MB); it is not read.");
  // A missing file is the reader's to report.
  EXPECT_FALSE(basics::oversize_refusal(tree.path("missing.csv"), 0));
  EXPECT_THAT(thrown_text([&] { basics::read_measurement_lines(tree.path("missing.csv"), 0); }),
              HasSubstr("missing.csv"));
}

// A write that fails part-way (full disk) or cannot be put in place reports
// the failure and leaves the old file as it was, with nothing left beside it.
TEST(TextFilesTest, FailedWriteKeepsTheOldFile) {
  const test_support::temp_tree tree;
  const QByteArray old_contents = "Key\r\n1\r\n";
  const QString path = tree.write("settings/scanner.ini", old_contents);
  const struct {
    const char* name;
    void (*arm)(platform::FaultEnv&);
  } faults[] = {
      {"disk full after 3 bytes", [](platform::FaultEnv& f) { f.fail_writes_after(3); }},
      {"replace refused", [](platform::FaultEnv& f) { f.refuse_replace(); }},
  };
  for (const auto& fault : faults) {
    SCOPED_TRACE(fault.name);
    platform::FaultEnv env;
    platform::ScopedEnv use(&env);
    fault.arm(env);
    EXPECT_THROW(basics::write_lines(path, {"Key", "2", "a much longer line than before"}),
                 basics::error);
    EXPECT_EQ(tree.read("settings/scanner.ini"), old_contents);
    EXPECT_EQ(QDir(tree.path("settings")).entryList(QDir::Files | QDir::Hidden).size(), 1);
  }
}

// A settings file keeps every character: text the code page holds is
// written exactly as before, anything else in UTF-8 behind its mark.
TEST(TextFilesTest, SettingsBytesKeepEveryCharacter) {
  const QString polish = QString::fromUtf8("/data/wejście_č");
  const struct {
    const char* name;
    QStringList lines;
    QByteArray expected;
  } cases[] = {
      {"code page text as ever", {"a", QString::fromUtf8("€ä"), ""}, "a\r\n\x80\xE4\r\n\r\n"},
      {"no lines", {}, ""},
      {"a letter outside the code page",
       {polish, "L"},
       "\xEF\xBB\xBF/data/wej\xC5\x9B"
       "cie_\xC4\x8D\r\nL\r\n"},
      {"a code page text that would read as a mark",
       {QString::fromUtf8("ÿþ"), "x"},
       "\xEF\xBB\xBF\xC3\xBF\xC3\xBE\r\nx\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QByteArray bytes = basics::settings_bytes_from_lines(c.lines);
    EXPECT_EQ(bytes, c.expected);
    EXPECT_EQ(basics::lines_from_bytes(bytes), c.lines);
  }
  const QStringList ansi = {"C:\\in", QString::fromUtf8("Käse €")};
  EXPECT_EQ(basics::settings_bytes_from_lines(ansi), basics::bytes_from_lines(ansi));
}

TEST(TextFilesTest, ASettingsFileWithALetterOutsideTheCodePageReadsBackUnchanged) {
  const test_support::temp_tree tree;
  const QString path = tree.path("vellic_scanner.ini");
  const QStringList lines = {tree.path(QString::fromUtf8("wejście_č")), "L"};
  basics::write_settings_lines(path, lines);
  EXPECT_EQ(basics::read_lines(path), lines);
}

// An operator who keeps the settings elsewhere and links them into the
// program folder keeps the link, and the file it points at gets the news.
TEST(TextFilesTest, ASettingsFileThatIsALinkIsWrittenAtItsTarget) {
  SKIP_ON_WINDOWS("symbolic links");
  const struct {
    const char* name;
    // Links made in order: {link, what it points at}; the first one is the
    // settings file.
    QList<QPair<QString, QString>> links;
    QString target;  // where the lines must land, relative to the tree
  } cases[] = {
      {"absolute link", {{"prog/s.ini", "@/etc/s.ini"}}, "etc/s.ini"},
      {"relative link", {{"prog/s.ini", "../etc/s.ini"}}, "etc/s.ini"},
      {"chain of links",
       {{"prog/s.ini", "../mid/s.ini"}, {"mid/s.ini", "@/etc/s.ini"}},
       "etc/s.ini"},
      {"link to a file not yet there", {{"prog/s.ini", "../etc/new.ini"}}, "etc/new.ini"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const test_support::temp_tree tree;
    tree.make_folder("prog");
    tree.make_folder("mid");
    tree.make_folder("etc");
    tree.write("etc/s.ini", "old\r\n");
    for (const auto& [link, points_at] : c.links) {
      const QString destination =
          points_at.startsWith('@') ? tree.path(points_at.mid(2)) : points_at;
      ASSERT_EQ(test_support::make_symlink(QFile::encodeName(destination), tree.path(link)), 0);
    }
    basics::write_settings_lines(tree.path("prog/s.ini"), {"new"});

    EXPECT_EQ(tree.read(c.target), QByteArray("new\r\n"));
    EXPECT_TRUE(QFileInfo(tree.path("prog/s.ini")).isSymLink());
    EXPECT_EQ(tree.read("prog/s.ini"), QByteArray("new\r\n"));
    // Nothing was published beside the link.
    EXPECT_EQ(QDir(tree.path("prog")).entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList{"s.ini"});
  }
}

TEST(TextFilesTest, ALoopOfLinksIsReportedAndWritesNothing) {
  const test_support::temp_tree tree;
  tree.make_folder("prog");
  SKIP_ON_WINDOWS("symbolic links");
  ASSERT_EQ(test_support::make_symlink("b.ini", tree.path("prog/a.ini")), 0);
  ASSERT_EQ(test_support::make_symlink("a.ini", tree.path("prog/b.ini")), 0);
  EXPECT_THAT(thrown_text([&] { basics::write_settings_lines(tree.path("prog/a.ini"), {"x"}); }),
              HasSubstr(tree.path("prog/a.ini").toStdString()));
  EXPECT_EQ(QDir(tree.path("prog")).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 2);
}

}  // namespace
