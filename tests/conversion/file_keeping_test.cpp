// Where measurements are kept: a name taken by another scanner between the
// look and the move is passed over, never overwritten; a file is claimed only
// once its writer has stopped, whatever the writer's clock says.

#include <QDate>
#include <QDateTime>
#include <QSet>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "conversion/claim_journal.h"
#include "conversion/exsitu_conversion.h"
#include "conversion/file_keeping.h"
#include "conversion_site.h"
#include "support/exsitu_file.h"
#include "support/fault_env.h"

namespace {

using test_support::conversion_site;

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 7, 9));

// Another scanner sharing the folders: just before this one moves a file
// onto one of the names in `taken_meanwhile`, the other puts its own file
// there, as happens when both chose the same free name at the same moment.
class racing_env : public platform::EnvWrapper {
 public:
  racing_env(platform::Env* target, QSet<QString> taken_meanwhile)
      : EnvWrapper(target), taken_meanwhile_(std::move(taken_meanwhile)) {}

  platform::Status rename_file(const QString& from, const QString& to) override {
    if (taken_meanwhile_.remove(platform::name_of(to))) {
      EXPECT_TRUE(target()->write_file(to, kTheirs).ok());
    }
    return EnvWrapper::rename_file(from, to);
  }

  static constexpr char kTheirs[] = "the other scanner's file";

 private:
  QSet<QString> taken_meanwhile_;
};

struct keeping_site : conversion_site {
  keeping_site() {
    use_standard_folders(kNow);
    ctx.claim_journal = path("claims");
  }
};

TEST(FileKeepingTest, ANameTakenMeanwhileIsPassedOverNeverReplaced) {
  const struct {
    const char* place;
    QString taken;  // the name the other scanner takes
    // Puts the measurement "ours.csv" of the site's input folder somewhere;
    // returns the folder (relative) where it should be, with its name.
    std::function<QString(keeping_site&)> keep;
  } cases[] = {
      {"archive copy", "exsitu_500.csv",
       [](keeping_site& s) {
         conversion::exsitu_state state{s.record, s.plate};
         conversion::handle_exsitu(s.ctx, state, {});
         return QStringLiteral("arch/P/2024/3/5/L/exsitu_500_2.csv");
       }},
      {"set aside", "ours.csv.failed",
       [](keeping_site& s) {
         const QString kept =
             conversion::move_aside(platform::env(), s.path("in/ours.csv"), "ours.csv");
         EXPECT_EQ(kept, s.path("in/ours.csv_2.failed"));
         return QStringLiteral("in/ours.csv_2.failed");
       }},
      {"put back after a crash", "ours.csv",
       [](keeping_site& s) {
         conversion::claim_note note;
         EXPECT_TRUE(
             conversion::claim_file(s.ctx, s.path("in/ours.csv"), s.path("in/1.tmp"), &note).ok());
         conversion::recover_claims(s.ctx.claim_journal, [](const QString&) {});
         return QStringLiteral("in/ours_2.csv");
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.place);
    keeping_site site;
    site.write_lines("in/ours.csv", test_support::exsitu_lines(test_support::plate_with(3, "500")),
                     kNow.addSecs(-60));
    const QByteArray bytes = site.tree.read("in/ours.csv");
    racing_env race(&site.fault, {c.taken});
    platform::ScopedEnv use(&race);

    const QString where = c.keep(site);
    EXPECT_EQ(site.tree.read(where), bytes);
    const QString theirs = platform::folder_of(where) + c.taken;
    EXPECT_EQ(site.tree.read(theirs), racing_env::kTheirs);
  }
}

// A writer whose clock runs ahead appends in chunks: each chunk stamps the
// file in this scanner's future. It is claimed only once size and time have
// stood still for the settle time by this scanner's clock.
TEST(FileKeepingTest, AFileStampedAheadWaitsUntilItsWriterHasStopped) {
  const QDateTime ahead = kNow.addSecs(3600);
  const struct {
    const char* what;
    double settle_seconds;
    QDateTime written;
    // At each moment (ms after kNow): append a chunk first?, then the answer.
    struct look {
      qint64 at_ms;
      bool append;
      bool settling;
    };
    std::vector<look> looks;
  } cases[] = {
      {"stamped ahead, standing still",
       2,
       ahead,
       {{0, false, true}, {1000, false, true}, {1999, false, true}, {2000, false, false}}},
      {"stamped ahead, appended in chunks",
       2,
       ahead,
       {{0, false, true},
        {1500, true, true},
        {3000, false, true},
        {3400, true, true},
        {5399, false, true},
        {5400, false, false}}},
      {"written long enough ago", 2, kNow.addSecs(-2), {{0, false, false}}},
      {"written just now", 2, kNow.addMSecs(-500), {{0, false, true}, {1500, false, false}}},
      {"no settle time", 0, ahead, {{0, false, false}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    keeping_site site;
    const QString file = site.tree.write("in/a.csv", "first chunk\r\n");
    ASSERT_TRUE(site.fault.set_last_modified(file, c.written).ok());
    for (const auto& look : c.looks) {
      SCOPED_TRACE(look.at_ms);
      site.fault.set_now(kNow.addMSecs(look.at_ms));
      if (look.append) {
        site.tree.write("in/a.csv", site.tree.read("in/a.csv") + "next chunk\r\n");
        ASSERT_TRUE(site.fault.set_last_modified(file, ahead.addMSecs(look.at_ms)).ok());
      }
      EXPECT_EQ(conversion::still_settling(platform::env(), file, c.settle_seconds), look.settling);
    }
  }
}

}  // namespace
