// What only the Linux Env must get right: the claiming rename against real
// second processes, on every path it can take (the write lease or the /proc
// scan to find an open file, renameat2 or link()+unlink() to refuse an
// existing target), and the files that are not plain files.

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>

#include "platform/env_linux.h"
#include "support/holder_process.h"
#include "support/status_print.h"
#include "support/temp_tree.h"

namespace platform {
namespace {

using test_support::holder_process;
using test_support::temp_tree;

struct claim_path {
  const char* name;
  LinuxEnvOptions options;
};

const claim_path kClaimPaths[] = {
    {"lease_and_renameat2", {.use_leases = true, .use_rename_noreplace = true}},
    {"proc_scan", {.use_leases = false, .use_rename_noreplace = true}},
    {"link_and_unlink", {.use_leases = true, .use_rename_noreplace = false}},
    {"proc_scan_and_link", {.use_leases = false, .use_rename_noreplace = false}},
};

class ClaimTest : public ::testing::TestWithParam<claim_path> {
 protected:
  ClaimTest() : env_(new_linux_env(GetParam().options)) {}

  // The source is still there under its name, with its bytes, and nothing
  // appeared under the target name.
  void expect_untouched(const QString& source, const QByteArray& bytes, const QString& target) {
    EXPECT_EQ(tree_.read(source), bytes);
    EXPECT_FALSE(tree_.exists(target));
  }

  temp_tree tree_;
  std::unique_ptr<Env> env_;
  const QByteArray bytes_ = "wavelength,value\r\n380,0.5\r\n";
};

TEST_P(ClaimTest, FailsWhileAnotherProcessHoldsTheFileOpen) {
  for (const auto how : {holder_process::mode::write, holder_process::mode::read}) {
    SCOPED_TRACE(how == holder_process::mode::write ? "held for writing" : "held for reading");
    const QString source = tree_.write("in/plate.csv", bytes_);
    const QString target = tree_.path("in/claimed.tmp");
    holder_process holder(source, how);

    const Status held = env_->rename_file(source, target);
    EXPECT_FALSE(held.ok());
    EXPECT_EQ(held.kind(), Status::Kind::busy) << held.message().toStdString();
    EXPECT_TRUE(held.message().contains(source)) << held.message().toStdString();
    expect_untouched("in/plate.csv", bytes_, "in/claimed.tmp");

    holder.release();
    const Status released = env_->rename_file(source, target);
    ASSERT_TRUE(released.ok()) << released.message().toStdString();
    EXPECT_FALSE(tree_.exists("in/plate.csv"));
    EXPECT_EQ(tree_.read("in/claimed.tmp"), bytes_);
    ASSERT_TRUE(env_->delete_file(target).ok());
  }
}

TEST_P(ClaimTest, FailsWhileThisProcessHoldsTheFileOpen) {
  const QString source = tree_.write("plate.csv", bytes_);
  QFile own(source);
  ASSERT_TRUE(own.open(QIODevice::ReadOnly));

  const Status held = env_->rename_file(source, tree_.path("claimed.tmp"));
  EXPECT_FALSE(held.ok());
  EXPECT_EQ(held.kind(), Status::Kind::busy) << held.message().toStdString();
  expect_untouched("plate.csv", bytes_, "claimed.tmp");

  own.close();
  EXPECT_TRUE(env_->rename_file(source, tree_.path("claimed.tmp")).ok());
}

TEST_P(ClaimTest, NeverReplacesAnExistingTarget) {
  const QString source = tree_.write("plate.csv", bytes_);
  const QString file_target = tree_.write("taken.tmp", "older");
  const QString folder_target = tree_.make_folder("folder.tmp");

  for (const QString& target : {file_target, folder_target}) {
    const Status status = env_->rename_file(source, target);
    EXPECT_FALSE(status.ok()) << target.toStdString();
    EXPECT_EQ(status.kind(), Status::Kind::exists) << target.toStdString();
    EXPECT_TRUE(status.message().contains(QLatin1String("File exists")))
        << status.message().toStdString();
  }
  EXPECT_EQ(tree_.read("plate.csv"), bytes_);
  EXPECT_EQ(tree_.read("taken.tmp"), "older");
  EXPECT_TRUE(env_->entry(folder_target)->is_folder);
}

TEST_P(ClaimTest, RefusesWhatIsNotAFile) {
  // A pipe that matches a scan mask must not stall the scan waiting for a writer.
  const QString pipe = tree_.path("pipe.csv");
  ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
  for (const QString& source : {tree_.make_folder("sub.csv"), pipe}) {
    const Status status = env_->rename_file(source, tree_.path("moved"));
    EXPECT_FALSE(status.ok()) << source.toStdString();
    EXPECT_EQ(status.kind(), Status::Kind::other) << source.toStdString();
    EXPECT_TRUE(env_->entry(source).has_value());
    EXPECT_FALSE(tree_.exists("moved"));
  }

  const Status missing = env_->rename_file(tree_.path("gone.csv"), tree_.path("moved"));
  EXPECT_FALSE(missing.ok());
  EXPECT_EQ(missing.kind(), Status::Kind::not_found);
  EXPECT_TRUE(missing.message().contains(QLatin1String("No such file or directory")))
      << missing.message().toStdString();
}

INSTANTIATE_TEST_SUITE_P(AllPaths, ClaimTest, ::testing::ValuesIn(kClaimPaths),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(ClaimTest, ClaimsAFileItMayNotRead) {
  // As Windows' MoveFile does; reading it then fails with its own message.
  // Root reads everything, so the claim runs in a child without privileges.
  const QString source = tree_.write("plate.csv", bytes_);
  ASSERT_EQ(::chmod(QFile::encodeName(tree_.path()).constData(), 0777), 0);
  ASSERT_EQ(::chmod(QFile::encodeName(source).constData(), 0), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
    QByteArray contents;
    if (env_->read_file(source, &contents).ok()) ::_exit(3);  // not unreadable after all
    ::_exit(env_->rename_file(source, tree_.path("claimed.tmp")).ok() ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 2) GTEST_SKIP() << "no unprivileged user to run as";
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(tree_.exists("claimed.tmp"));
  EXPECT_FALSE(tree_.exists("plate.csv"));
}

TEST(RawNameTest, ANameThatIsNotUtf8IsListedClaimedAndReadUnderItsOwnBytes) {
  temp_tree tree;
  const QByteArray folder = QFile::encodeName(tree.path());
  for (const QByteArray& name : {QByteArray("a\xe4.csv"), QByteArray("\xff\xfe.csv"),
                                 QByteArray("b\xc3.csv"), QByteArray("c\xed\xb2\x80.csv")}) {
    SCOPED_TRACE(name.toHex().toStdString());
    const QByteArray raw = folder + '/' + name;
    const int fd = ::open(raw.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "data", 4), 4);
    ::close(fd);

    const auto listed = system_env().list_folder(tree.path(), "*.csv");
    ASSERT_TRUE(listed && listed->size() == 1);
    const QString path = with_delimiter(tree.path()) + listed->first().name;
    EXPECT_TRUE(listed->first().is_file);
    EXPECT_EQ(path_bytes(path), raw);
    EXPECT_EQ(path_from_bytes(raw), path);
    QByteArray contents;
    EXPECT_TRUE(system_env().read_file(path, &contents).ok());
    EXPECT_EQ(contents, "data");
    ASSERT_TRUE(system_env().rename_file(path, tree.path("claimed.tmp")).ok());
    EXPECT_TRUE(system_env().rename_file(tree.path("claimed.tmp"), path).ok());
    EXPECT_EQ(::access(raw.constData(), F_OK), 0);
    ASSERT_TRUE(system_env().delete_file(path).ok());
  }
}

TEST(RawNameTest, PortableNamesAreText) {
  const struct {
    QByteArray raw;
    QString portable;
  } cases[] = {
      {"a\xe4.csv", QStringLiteral("a\u00e4.csv")},      // Latin-1 byte
      {"a\xc3\xa4.csv", QStringLiteral("a\u00e4.csv")},  // valid UTF-8 stays
      {"plain.csv", QStringLiteral("plain.csv")},
      {"\xf0\x9f\x98\x80.csv", QString::fromUtf8("\xf0\x9f\x98\x80.csv")},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(portable_name(path_from_bytes(c.raw)), c.portable) << c.raw.toHex().toStdString();
  }
}

TEST(NameLengthTest, NamesAreCutBeforeTheirEndingToFitTheSystem) {
  temp_tree tree;
  const QString long_stem = QString(250, QLatin1Char('x'));
  const QString umlauts = QString(200, QChar(0x00e4));  // two bytes each
  for (const QString& stem : {long_stem, umlauts, QStringLiteral("short")}) {
    const QString name = name_that_fits(stem, QStringLiteral(".csv.failed"));
    EXPECT_TRUE(name.endsWith(".csv.failed"));
    EXPECT_LE(path_bytes(name).size(), 255);
    EXPECT_TRUE(stem.startsWith(name.chopped(11)));
    EXPECT_TRUE(system_env().write_file(tree.path(name), "x").ok()) << name.size();
  }
  EXPECT_EQ(name_that_fits("short", ".csv"), "short.csv");
}

TEST(NotAFileTest, ListingTellsFilesFromWhatCanNeverBeClaimed) {
  temp_tree tree;
  tree.write("file.csv", "x");
  tree.make_folder("folder.csv");
  ASSERT_EQ(::mkfifo(QFile::encodeName(tree.path("pipe.csv")).constData(), 0644), 0);
  ASSERT_EQ(::symlink("nowhere", QFile::encodeName(tree.path("dangling.csv")).constData()), 0);
  ASSERT_EQ(::symlink("file.csv", QFile::encodeName(tree.path("link.csv")).constData()), 0);
  QStringList files, others;
  for (const DirEntry& entry :
       system_env().list_folder(tree.path(), "*.csv").value_or(QList<DirEntry>())) {
    if (entry.is_file) files << entry.name;
    if (!entry.is_file && !entry.is_folder) others << entry.name;
  }
  EXPECT_EQ(files, (QStringList{"file.csv", "link.csv"}));
  EXPECT_EQ(others, (QStringList{"dangling.csv", "pipe.csv"}));
}

TEST(NotAFileTest, AnEntryTellsTheSizeOfAFileWithoutReadingIt) {
  temp_tree tree;
  tree.write("small.csv", "12345");
  // Sparse: a size no test could afford to write.
  const QString big = tree.write_sparse("big.csv", "x", qint64(5) << 30);
  ASSERT_EQ(::symlink("small.csv", QFile::encodeName(tree.path("link.csv")).constData()), 0);
  tree.make_folder("folder.csv");
  EXPECT_EQ(system_env().entry(tree.path("small.csv"))->size, 5);
  EXPECT_EQ(system_env().entry(big)->size, qint64(5) << 30);
  EXPECT_EQ(system_env().entry(tree.path("link.csv"))->size, 5);
  EXPECT_EQ(system_env().entry(tree.path("folder.csv"))->size, 0);
  const auto listed = system_env().list_folder(tree.path(), "big.csv");
  ASSERT_TRUE(listed && listed->size() == 1);
  EXPECT_EQ(listed->first().size, qint64(5) << 30);
}

TEST(NotAFileTest, ReadingAPipeFailsAtOnce) {
  temp_tree tree;
  const QString pipe = tree.path("pipe.csv");
  ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
  QByteArray contents;
  const Status status = system_env().read_file(pipe, &contents);
  EXPECT_FALSE(status.ok());
  EXPECT_TRUE(status.message().endsWith("Not a file")) << status.message().toStdString();
}

TEST(FullDiskTest, AWriteThatFindsNoSpaceIsAnIoFailure) {
  // /dev/full refuses every byte with ENOSPC, as a full disk does.
  if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full here";
  const Status status = system_env().write_file("/dev/full", "scan");
  EXPECT_EQ(status.kind(), Status::Kind::io) << status.message().toStdString();
  EXPECT_EQ(status.message(), "Cannot write \"/dev/full\": No space left on device");
}

// The tests compare the system's error texts word for word: the test main
// pins the C locale for itself and for every program a test starts.
TEST(ErrorTextTest, SystemErrorsAreInEnglishWhateverTheMachinesLanguage) {
  EXPECT_EQ(qgetenv("LC_ALL"), "C.UTF-8");
  EXPECT_FALSE(qEnvironmentVariableIsSet("LANGUAGE"));
  temp_tree tree;
  const Status missing = system_env().delete_file(tree.path("missing"));
  EXPECT_TRUE(missing.message().endsWith(": No such file or directory"))
      << missing.message().toStdString();
}

// sync_files flushes by file system or file by file; either way a file
// that is not there fails the call, named, rather than passing unflushed.
TEST(SyncFilesTest, FlushesWrittenFilesAndNamesOneThatIsMissing) {
  for (const bool use_syncfs : {true, false}) {
    SCOPED_TRACE(use_syncfs ? "syncfs" : "fdatasync");
    temp_tree tree;
    const auto env = new_linux_env({.use_syncfs = use_syncfs});
    QList<QString> paths;
    for (const char* name : {"a/1.scn", "a/2.scn", "b/3.scn"}) {
      paths.append(tree.path(name));
      tree.make_folder(QString(name).left(1));
      ASSERT_TRUE(env->write_file_unsynced(paths.back(), name).ok());
    }
    EXPECT_TRUE(env->sync_files(paths).ok());
    EXPECT_TRUE(env->sync_files({}).ok());

    paths.insert(1, tree.path("a/gone.scn"));
    const Status missing = env->sync_files(paths);
    EXPECT_EQ(missing.kind(), Status::Kind::not_found);
    EXPECT_EQ(missing.message(), QStringLiteral("Cannot flush \"%1\": No such file or directory")
                                     .arg(tree.path("a/gone.scn")));
  }
}

TEST(PublishPermissionsTest, PublishedFilesAreReadableByOthers) {
  // Other programs read our output; mkstemp's private 0600 would lock them out.
  temp_tree tree;
  const mode_t previous = ::umask(022);
  const Status status = publish_file(tree.path("1234.scn"), "scan");
  ::umask(previous);
  ASSERT_TRUE(status.ok()) << status.message().toStdString();
  struct stat info {};
  ASSERT_EQ(::stat(QFile::encodeName(tree.path("1234.scn")).constData(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
}

// While a claim holds its lease, a writer that opens the file makes the
// kernel signal the lease holder with SIGIO, whose default action would end
// the scanner. The window is microseconds wide, so the test holds a lease of
// its own for the length of that open, after one claim has run.
TEST(ClaimLeaseTest, SurvivesAWriterOpeningDuringTheClaim) {
  temp_tree tree;
  const QString claimed = tree.path("claimed.tmp");
  ASSERT_TRUE(system_env().rename_file(tree.write("plate.csv", "x"), claimed).ok());

  const int probe = ::open(QFile::encodeName(claimed).constData(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(probe, 0);
  if (::fcntl(probe, F_SETLEASE, F_WRLCK) != 0) {
    ::close(probe);
    GTEST_SKIP() << "this file system grants no leases";
  }
  QProcess writer;
  writer.start(QStringLiteral(HOLD_FILE_OPEN_EXE), {claimed, QStringLiteral("w")});
  ASSERT_TRUE(writer.waitForStarted(10000));
  // The writer's open is now blocked in the kernel, which has sent us SIGIO
  // and downgraded the lease it wants broken.
  QDeadlineTimer deadline(10000);
  while (::fcntl(probe, F_GETLEASE) == F_WRLCK && !deadline.hasExpired()) QThread::msleep(5);
  EXPECT_NE(::fcntl(probe, F_GETLEASE), F_WRLCK) << "the writer never asked for the file";

  ::fcntl(probe, F_SETLEASE, F_UNLCK);
  ::close(probe);
  EXPECT_TRUE(writer.waitForReadyRead(10000)) << "the writer did not get the file";
  writer.closeWriteChannel();
  writer.waitForFinished(10000);
}

}  // namespace
}  // namespace platform
