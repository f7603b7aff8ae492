// The rules of the line's database questions, with the query answered from
// a table instead of a database: which date literal each query carries, how
// a pane id is put together, and what is asked in which order.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QLocale>
#include <QMap>

#include <limits>

#include "database/line_queries.h"
#include "support/thrown_text.h"

namespace database {
namespace {

using ::testing::HasSubstr;

// Answers each query text from `answers` (0 for any other) and keeps what
// was asked, with the column, and what the trace saw, in one list.
struct scripted_database {
  QMap<QString, int> answers;
  QStringList seen;

  query_function query() {
    return [this](const QString& text, const QString& column) {
      seen << "ask " + text + " for " + column;
      return answers.value(text);
    };
  }
  trace_function trace() {
    return [this](const QString& line) { seen << line; };
  }
};

TEST(LineQueriesTest, AQueryCarriesTheFixedDateTheTestDateOrTheMomentInThatOrder) {
  const QDateTime moment(QDate(2021, 3, 4), QTime(15, 6, 7));
  const QLocale locale = QLocale::system();
  const QString date = locale.toString(moment.date(), QLocale::ShortFormat);
  EXPECT_EQ(query_date(moment, kFixedPaneIdDate, 1), kFixedPaneIdDate);
  EXPECT_EQ(query_date(moment, {}, 1), kTestModeDate);
  EXPECT_EQ(query_date({}, {}, 1), kTestModeDate) << "no moment is needed for the test date";
  for (const int test_mode : {0, 2}) {
    const QString text = query_date(moment, {}, test_mode);
    EXPECT_TRUE(text.startsWith(date + " ")) << text.toStdString();
    EXPECT_TRUE(text.contains("06:07")) << text.toStdString();
  }
  EXPECT_EQ(query_date(QDateTime(moment.date(), QTime(0, 0)), {}, 0), date) << "midnight";
  EXPECT_THAT(thrown_text([] { query_date(QDateTime(), {}, 0); }), HasSubstr("no valid date"));
  EXPECT_EQ(with_date_literal("SELECT v WHERE at = ", "5/10/2013"),
            "SELECT v WHERE at = '5/10/2013'");
}

TEST(LineQueriesTest, APaneIdIsTheHighHalfTimes65536PlusTheLowHalfKeptWhole) {
  const struct {
    qint32 high, low;
    qint64 pane_id;
  } cases[] = {
      {3, 17, 196625},
      {1, 65536, 131072},  // the low half carries
      {0, -1, -1},
      {40000, 5, 2621440005},  // beyond 32 bits, not wrapped
      {-40000, 0, -2621440000},
      {std::numeric_limits<qint32>::max(), std::numeric_limits<qint32>::max(),
       qint64(std::numeric_limits<qint32>::max()) * 65537},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(pane_id(c.high, c.low), c.pane_id) << c.high << " / " << c.low;
  }
}

TEST(LineQueriesTest, APaneIdAsksTheHighThenTheLowQueryAndTracesBoth) {
  scripted_database db;
  db.answers = {{"high '1/2/03'", 3}, {"low '1/2/03'", 17}};
  EXPECT_EQ(ask_pane_id({"high ", "low "}, "1/2/03", "v", db.query(), db.trace()), 196625);
  EXPECT_EQ(db.seen, (QStringList{"high '1/2/03'", "ask high '1/2/03' for v", "High 3",
                                  "low '1/2/03'", "ask low '1/2/03' for v", "Low 17"}));
}

TEST(LineQueriesTest, AFailingQueryEndsThePaneIdWithItsError) {
  scripted_database db;
  const query_function refusing = [&db](const QString& text, const QString&) -> int {
    db.seen << "ask " + text;
    throw basics::error(QStringLiteral("no such table"));
  };
  EXPECT_THAT(thrown_text([&] {
                ask_pane_id({"high ", "low "}, "d", "v", refusing, db.trace());
              }),
              HasSubstr("no such table"));
  EXPECT_EQ(db.seen, (QStringList{"high 'd'", "ask high 'd'"})) << "the low query is not asked";
}

TEST(LineQueriesTest, AChannelAsksOnlyWithBothQueriesConfigured) {
  EXPECT_TRUE((pane_id_queries{"a", "b"}.complete()));
  EXPECT_FALSE((pane_id_queries{"a", ""}.complete()));
  EXPECT_FALSE((pane_id_queries{" \t ", "b"}.complete()));
  EXPECT_TRUE(is_blank_query("\r\n "));
  EXPECT_FALSE(is_blank_query(" SELECT 1"));
}

TEST(LineQueriesTest, TheSimulatedPaneIdCountsOnAndWraps) {
  EXPECT_EQ(next_simulated_pane_id(0), 1);
  EXPECT_EQ(next_simulated_pane_id(-1), 0);
  EXPECT_EQ(next_simulated_pane_id(std::numeric_limits<qint32>::max()),
            std::numeric_limits<qint32>::min());
}

}  // namespace
}  // namespace database
