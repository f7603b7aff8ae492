// A log file read back line by line, in pieces: every line once, the last
// one without its line break too, and a line too long to hold reported as
// such instead of read.

#include <QByteArray>
#include <QList>

#include <gtest/gtest.h>

#include <utility>

#include "platform/append_file.h"
#include "support/temp_tree.h"

namespace {

using test_support::temp_tree;

using lines_read = QList<std::pair<QByteArray, bool>>;

lines_read read_lines(const QString& path, qsizetype longest) {
  lines_read lines;
  const platform::Status read =
      platform::read_log_lines(path, longest, [&](QByteArrayView line, bool too_long) {
        lines.append({line.toByteArray(), too_long});
      });
  EXPECT_TRUE(read.ok()) << read.message().toStdString();
  return lines;
}

TEST(LogFileTest, EveryLineIsHandedOverOnceInOrder) {
  const temp_tree tree;
  // Lines across the pieces the file is read in.
  const QByteArray across(200 * 1024, 'a');
  const QByteArray too_long(300 * 1024, 'z');
  const struct {
    const char* name;
    QByteArray contents;
    lines_read expected;
  } cases[] = {
      {"empty", "", {}},
      {"lines with their breaks", "one\n\ntwo\n", {{"one", false}, {"", false}, {"two", false}}},
      {"a last line cut short", "one\n{\"ti", {{"one", false}, {"{\"ti", false}}},
      {"a long line", "x\n" + across + "\ny\n", {{"x", false}, {across, false}, {"y", false}}},
      {"a line too long to hold",
       "x\n" + too_long + "\ny\n" + too_long,
       {{"x", false}, {"", true}, {"y", false}, {"", true}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = tree.write("log.jsonl", c.contents);
    EXPECT_EQ(read_lines(path, 256 * 1024), c.expected);
  }
  EXPECT_FALSE(
      platform::read_log_lines(tree.path("missing"), 10, [](QByteArrayView, bool) {}).ok());
}

TEST(LogFileTest, ALastLineWithoutItsBreakIsFound) {
  const temp_tree tree;
  const struct {
    const char* contents;
    bool cut;
  } cases[] = {{"", false}, {"{}\n", false}, {"{}\n{\"ti", true}, {"x", true}};
  for (const auto& c : cases) {
    EXPECT_EQ(platform::ends_in_cut_line(tree.write("log.jsonl", c.contents)), c.cut) << c.contents;
  }
  EXPECT_FALSE(platform::ends_in_cut_line(tree.path("missing")));
}

}  // namespace
