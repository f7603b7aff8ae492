// The journal counts a run of identical lines instead of writing each, so
// a file of thousands of equal complaints does not make the journal's rate
// limit drop the lines after it.

#include <QList>

#include <gtest/gtest.h>

#include <ostream>

#include "platform/journal.h"

namespace platform {

void PrintTo(const journal_line& line, std::ostream* out) {
  *out << "<" << int(line.level) << ">" << line.prefix.toStdString() << line.text.toStdString();
}

}  // namespace platform

namespace {

using platform::journal_line;
using platform::kRepeatsWritten;
using platform::severity;

const journal_line kValue{"board: ", "R glass, Pos. 1   n.a. could not be converted.",
                          severity::info};
const journal_line kOther{"board: ", "Insitu data: Plate number 7", severity::info};

QList<journal_line> written(platform::journal_runs& runs, const QList<journal_line>& lines) {
  QList<journal_line> out;
  for (const journal_line& line : lines) out += runs.pass(line);
  return out;
}

QList<journal_line> repeated(const journal_line& line, int times) {
  return QList<journal_line>(times, line);
}

journal_line count_of(const journal_line& line, const QString& more) {
  return {line.prefix, "... the last line repeated " + more, line.level};
}

TEST(JournalTest, ARunOfIdenticalLinesIsCountedWhenItEnds) {
  const struct {
    const char* name;
    QList<journal_line> given;
    QList<journal_line> written;
  } cases[] = {
      {"a run up to the limit, all of it", repeated(kValue, kRepeatsWritten) << kOther,
       repeated(kValue, kRepeatsWritten) << kOther},
      {"one more", repeated(kValue, kRepeatsWritten + 1) << kOther,
       repeated(kValue, kRepeatsWritten) << count_of(kValue, "1 more time") << kOther},
      {"twelve thousand", repeated(kValue, 12000) << kOther << kOther,
       repeated(kValue, kRepeatsWritten)
           << count_of(kValue, QString::number(12000 - kRepeatsWritten) + " more times") << kOther
           << kOther},
      // Another prefix or priority is another line.
      {"the same text elsewhere",
       repeated(kValue, kRepeatsWritten) << journal_line{"status: ", kValue.text, severity::info}
                                         << journal_line{"board: ", kValue.text, severity::warning},
       repeated(kValue, kRepeatsWritten)
           << journal_line{"status: ", kValue.text, severity::info}
           << journal_line{"board: ", kValue.text, severity::warning}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    platform::journal_runs runs;
    EXPECT_EQ(written(runs, c.given), c.written);
    EXPECT_FALSE(runs.finish().has_value());
  }
}

// At the program's end a run still going owes its count.
TEST(JournalTest, ARunStillGoingIsCountedAtTheEnd) {
  platform::journal_runs runs;
  const journal_line warning{"history: ", "{}", severity::warning};
  EXPECT_EQ(written(runs, repeated(warning, 30)), repeated(warning, kRepeatsWritten));
  EXPECT_EQ(runs.finish(), count_of(warning, "20 more times"));
  EXPECT_FALSE(runs.finish().has_value());
  // The next line starts a run of its own.
  EXPECT_EQ(written(runs, {warning}), QList<journal_line>{warning});
}

}  // namespace
