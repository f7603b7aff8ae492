// The inline spectrometer step on real folders: one file per call, copied
// unchanged under its channel's pane id; lasting faults set the file aside,
// passing ones leave it under its own name.

#include <QDate>
#include <QDateTime>
#include <QDir>

#include <optional>

#include <gtest/gtest.h>

#include "basics/error.h"
#include "basics/ole_date.h"
#include "conversion/inline_files.h"
#include "conversion_site.h"
#include "support/holder_process.h"

namespace {

using test_support::conversion_site;

const QDateTime kWritten(QDate(2024, 3, 5), QTime(10, 15, 37));

// Input folder "avantes"; the production system "v" with product "P", where
// channel 4 goes to "LUMOR1" and channel 0 to "LUMOR2".
struct inline_site : conversion_site {
  inline_site() {
    tree.make_folder("avantes");
    tree.make_folder("v/database/products/P/measurements/LUMOR1/new");
    tree.make_folder("v/database/products/P/measurements/LUMOR2/new");
    ctx.input_folder = folder("avantes");
    ctx.vellic_path = folder("v");
    ctx.product = "P";
    options.lumor_names = {"LUMOR2", "", "", "", "LUMOR1"};
    options.pane_id = [this](int channel, double when) {
      queries << QStringLiteral("%1 %2").arg(channel).arg(
          basics::date_time_from_ole(when).toString(Qt::ISODate));
      if (fail_query) throw basics::error("database gone");
      if (failing_channel == channel) throw basics::error(channel_fault);
      return QString::number(++simulated);
    };
  }
  QByteArray drop(const QString& name) {
    const QByteArray bytes = "380 0.1\r\n385 0.2\r\n" + name.toLatin1();
    tree.write("avantes/" + name, bytes);
    EXPECT_TRUE(fault.set_last_modified(path("avantes/" + name), kWritten).ok());
    return bytes;
  }
  void move() { conversion::handle_inline(ctx, retries, options); }
  QString out(int lumor) const {
    return QStringLiteral("v/database/products/P/measurements/LUMOR%1/new").arg(lumor);
  }

  conversion::inline_options options;
  conversion::inline_state retries;
  QStringList queries;
  int simulated = 0;
  bool fail_query = false;
  // A channel whose queries fail with `channel_fault`.
  std::optional<int> failing_channel;
  QString channel_fault = "database gone";
};

TEST(InlineFilesTest, OneFilePerCallUnderItsChannelsPaneId) {
  inline_site site;
  const QByteArray first = site.drop("Channel 4 0001.txt");
  const QByteArray second = site.drop("Channel 0 0002.txt");
  site.move();
  // Listing order: "Channel 0 ..." first.
  EXPECT_EQ(site.files(site.out(2)), QStringList{"1___T.xy"});
  EXPECT_EQ(site.tree.read(site.out(2) + "/1___T.xy"), second);
  EXPECT_EQ(site.files("avantes"), QStringList{"Channel 4 0001.txt"});
  site.move();
  EXPECT_EQ(site.tree.read(site.out(1) + "/2___T.xy"), first);
  EXPECT_TRUE(site.files("avantes").isEmpty());
  EXPECT_EQ(site.queries, (QStringList{"0 2024-03-05T10:15:37", "4 2024-03-05T10:15:37"}));
  EXPECT_EQ(site.board, (QStringList{site.path(site.out(2) + "/1___T.xy"),
                                     site.path(site.out(1) + "/2___T.xy")}));
}

TEST(InlineFilesTest, LastingFaultsSetTheFileAsideAndFreeTheQueue) {
  const struct {
    const char* what;
    QString name;
    QString board_start;
  } cases[] = {
      {"lower-case channel", "channel 0 0001.txt",
       "Error: channel 0 0001.txt names no inline channel."},
      {"no LUMOR name", "Channel 2 0001.txt", "Error: Inline channel 2 has no LUMOR name."},
      {"no channel folder", "Channel 0 0001.txt", "Error: The folder "},
      {"target taken", "Channel 4 0001.txt", "Error: "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    inline_site site;
    if (QString(c.what) == "no channel folder") QDir(site.path(site.out(2))).removeRecursively();
    if (QString(c.what) == "target taken") site.tree.write(site.out(1) + "/1___T.xy", "earlier");
    const QByteArray bytes = site.drop(c.name);
    site.drop("Channel 4 0009.txt");
    site.move();
    EXPECT_EQ(site.tree.read("avantes/" + c.name + ".failed"), bytes);
    ASSERT_EQ(site.board.size(), 1);
    EXPECT_TRUE(site.board[0].startsWith(c.board_start)) << site.board[0].toStdString();
    EXPECT_TRUE(site.board[0].endsWith(site.path("avantes/" + c.name + ".failed") + "."));
    // The file behind it is moved at the next call.
    site.move();
    EXPECT_EQ(site.files("avantes"), QStringList{c.name + ".failed"});
    EXPECT_EQ(site.files(site.out(1)).size(), QString(c.what) == "target taken" ? 2 : 1);
    // Nothing beside the output folders.
    EXPECT_FALSE(site.tree.exists("v/database/products/P/measurements/new"));
  }
}

TEST(InlineFilesTest, PassingFaultsLeaveTheFileUnderItsOwnName) {
  inline_site site;
  site.drop("Channel 4 0001.txt");
  {
    const test_support::holder_process holder(site.path("avantes/Channel 4 0001.txt"),
                                              test_support::holder_process::mode::read);
    site.move();
  }
  EXPECT_EQ(site.board,
            QStringList{"Rename failed for file\n\r" + site.path("avantes/Channel 4 0001.txt")});
  site.fail_query = true;
  EXPECT_THROW(site.move(), basics::error);
  EXPECT_EQ(site.files("avantes"), QStringList{"Channel 4 0001.txt"});
  EXPECT_TRUE(site.files(site.out(1)).isEmpty());
  site.fail_query = false;
  site.move();
  EXPECT_EQ(site.files(site.out(1)), QStringList{"1___T.xy"});
}

// A channel whose pane id cannot be found never holds up the others: its
// file goes behind them, its error is boxed once and then counted.
TEST(InlineFilesTest, AFailingChannelWaitsBehindTheOthers) {
  inline_site site;
  site.options.lumor_names = {"", "", "LUMOR3", "LUMOR4", "LUMOR1"};
  site.tree.make_folder(site.out(3));
  site.tree.make_folder(site.out(4));
  site.drop("Channel 2 0001.txt");
  site.drop("Channel 3 0001.txt");
  site.drop("Channel 4 0001.txt");
  site.failing_channel = 2;
  const QString waits = "Channel 2 0001.txt waits for a later tick.";

  EXPECT_THROW(site.move(), basics::error);  // the operator's message box
  site.move();
  site.move();
  EXPECT_EQ(site.files(site.out(4)), QStringList{"1___T.xy"});
  EXPECT_EQ(site.files(site.out(1)), QStringList{"2___T.xy"});
  EXPECT_EQ(site.files("avantes"), QStringList{"Channel 2 0001.txt"});
  // Alone now, it is tried at every tick; the same error is only counted.
  site.board.clear();
  EXPECT_NO_THROW(site.move());
  EXPECT_NO_THROW(site.move());
  EXPECT_EQ(site.board, (QStringList{"Error again (2 times): database gone. " + waits,
                                     "Error again (3 times): database gone. " + waits}));
  // Another error is news.
  site.channel_fault = "login failed";
  EXPECT_THROW(site.move(), basics::error);
  EXPECT_NO_THROW(site.move());
  EXPECT_EQ(site.board.last(), "Error again (2 times): login failed. " + waits);
  // Once the file has gone, the next fault is news again.
  site.failing_channel.reset();
  site.move();
  EXPECT_EQ(site.files(site.out(3)), QStringList{"3___T.xy"});
  site.drop("Channel 2 0002.txt");
  site.failing_channel = 2;
  EXPECT_THROW(site.move(), basics::error);
  EXPECT_EQ(site.files("avantes"), QStringList{"Channel 2 0002.txt"});
}

// A file behind the others that is the only one left, or whose turn comes
// after every file that has not failed, is tried in the order it failed.
TEST(InlineFilesTest, FilesBehindAreTriedInTheOrderTheyFailed) {
  inline_site site;
  site.drop("Channel 0 0001.txt");
  site.drop("Channel 0 0002.txt");
  site.fail_query = true;
  EXPECT_THROW(site.move(), basics::error);
  EXPECT_NO_THROW(site.move());
  EXPECT_EQ(site.retries.behind, (QStringList{"Channel 0 0001.txt", "Channel 0 0002.txt"}));
  site.fail_query = false;
  site.move();
  EXPECT_EQ(site.files("avantes"), QStringList{"Channel 0 0002.txt"});
  // A file that is gone is forgotten.
  ASSERT_TRUE(platform::env().delete_file(site.path("avantes/Channel 0 0002.txt")).ok());
  site.drop("Channel 4 0003.txt");
  site.move();
  EXPECT_TRUE(site.retries.behind.isEmpty());
  EXPECT_TRUE(site.files("avantes").isEmpty());
}

}  // namespace
