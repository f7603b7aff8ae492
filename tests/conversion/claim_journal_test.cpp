// Claims noted in the claim journal: a file a crash left under its temporary
// name goes back under its own name at the next start, or is removed when
// its measurement was already archived; a normal claim leaves no note.

#include <gtest/gtest.h>

#include <functional>

#include "conversion/claim_journal.h"
#include "conversion/claimed_file.h"
#include "conversion/insitu_conversion.h"
#include "conversion_site.h"
#include "support/insitu_file.h"
#include "support/probe_heads.h"

namespace {

using conversion::claim_note;
using test_support::conversion_site;

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 7, 9));

struct journal_site : conversion_site {
  journal_site() {
    tree.make_folder("in");
    fault.set_now(kNow);
    journal = path("claims");
    ctx.claim_journal = journal;
    ctx.input_folder = folder("in");
  }
  // What a run killed right after claiming `name` leaves behind.
  claim_note claimed_then_killed(const QString& name, const QByteArray& bytes) {
    tree.write("in/" + name, bytes);
    claim_note note;
    EXPECT_TRUE(claim_note::write(journal, path("in/" + name), path("in/1_2_3.tmp"), &note).ok());
    EXPECT_TRUE(platform::env().rename_file(path("in/" + name), path("in/1_2_3.tmp")).ok());
    return note;
  }
  void recover() {
    conversion::recover_claims(journal, [this](const QString& line) { board << line; });
  }

  QString journal;
};

TEST(ClaimJournalTest, RecoveryPutsBackOrRemovesWhatACrashLeft) {
  const struct {
    const char* name;
    std::function<void(journal_site&, claim_note&)> before_crash;
    QStringList input_after;
    bool board_line;
  } cases[] = {
      {"claimed, not yet kept", [](journal_site&, claim_note&) {}, {"m_500.csv"}, true},
      {"a new file of the same name arrived",
       [](journal_site& s, claim_note&) { s.tree.write("in/m_500.csv", "newer"); },
       {"m_500.csv", "m_500_2.csv"},
       true},
      {"archiving began, the copy is not there",
       [](journal_site& s, claim_note& note) { note.mark_archiving(s.path("arch/m_500.csv")); },
       {"m_500.csv"},
       true},
      {"archiving began, the copy is cut short",
       [](journal_site& s, claim_note& note) {
         note.mark_archiving(s.tree.write("arch/m_500.csv", "measure"));
       },
       {"m_500.csv"},
       true},
      {"archived: only the spare copy is left",
       [](journal_site& s, claim_note& note) {
         note.mark_archiving(s.tree.write("arch/m_500.csv", "measurement"));
       },
       {},
       false},
      {"the claim had ended",
       [](journal_site& s, claim_note&) {
         ASSERT_TRUE(platform::env().delete_file(s.path("in/1_2_3.tmp")).ok());
       },
       {},
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    journal_site site;
    claim_note note = site.claimed_then_killed("m_500.csv", "measurement");
    c.before_crash(site, note);
    site.recover();
    EXPECT_EQ(site.files("in"), c.input_after);
    if (c.input_after.contains("m_500_2.csv")) {
      EXPECT_EQ(site.tree.read("in/m_500_2.csv"), "measurement");
      EXPECT_EQ(site.tree.read("in/m_500.csv"), "newer");
    } else if (!c.input_after.isEmpty()) {
      EXPECT_EQ(site.tree.read("in/m_500.csv"), "measurement");
    }
    EXPECT_EQ(site.board.size(), c.board_line ? 1 : 0) << site.board.join('\n').toStdString();
    if (c.board_line) {
      EXPECT_TRUE(site.board[0].contains(site.path("in/m_500.csv")));
    }
    EXPECT_TRUE(site.files("claims").isEmpty());
  }
}

TEST(ClaimJournalTest, ANoteCutShortIsRemovedWithoutAWord) {
  journal_site site;
  site.tree.write("claims/claim_Ab12Cd", "");
  site.tree.write("claims/claim_Ef34Gh", QByteArray("claim\0/x", 8));
  site.recover();
  EXPECT_TRUE(site.files("claims").isEmpty());
  EXPECT_TRUE(site.board.isEmpty());
}

TEST(ClaimJournalTest, ANameThatIsNotTextComesBackUnderItsOwnBytes) {
  journal_site site;
  const QString raw =
      platform::path_from_bytes(platform::path_bytes(site.path("in")) + "/a\xe4.csv");
  ASSERT_TRUE(platform::env().write_file(raw, "measurement").ok());
  claim_note note;
  ASSERT_TRUE(claim_note::write(site.journal, raw, site.path("in/1_2_3.tmp"), &note).ok());
  ASSERT_TRUE(platform::env().rename_file(raw, site.path("in/1_2_3.tmp")).ok());
  site.recover();
  QByteArray back;
  EXPECT_TRUE(platform::env().read_file(raw, &back).ok());
  EXPECT_EQ(back, "measurement");
}

// The insitu scan, as the main window runs it, with the journal switched on.
struct insitu_journal_site : journal_site {
  insitu_journal_site() {
    tree.make_folder("v/database/products/P/measurements/LA/new");
    tree.make_folder("arch");
    ctx.vellic_path = folder("v");
    ctx.product = "P";
    ctx.archive_root = folder("arch");
    ctx.probe_heads = &heads;
  }
  const basics::sprachen heads = test_support::probe_heads_table();
};

TEST(ClaimJournalTest, AClaimIsNotedWhileItLastsAndNoNoteOutlivesIt) {
  insitu_journal_site site;
  site.write_lines("in/a_good.csv", test_support::insitu_lines({}), kNow.addSecs(-60));
  test_support::insitu_measurement unknown;
  unknown.probe_head = "Head Z";
  site.write_lines("in/b_unknown_head.csv", test_support::insitu_lines(unknown), kNow.addSecs(-60));
  QStringList notes_during;
  conversion::claim_files(site.ctx, "converting", {}, [&](conversion::claimed_file& file) {
    notes_during << site.files("claims");
    conversion::process_insitu_file(file, site.plate);
  });
  EXPECT_EQ(notes_during.size(), 2);
  EXPECT_TRUE(site.files("claims").isEmpty());
  // The file that could not be converted is set aside, not noted any more.
  EXPECT_EQ(site.files("in"), QStringList{"b_unknown_head.csv.failed"});
}

}  // namespace
