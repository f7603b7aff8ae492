// The kind a failure carries, which callers act on: a busy file is left for
// a later try, everything else is reported. Real failures of the system Env
// and the faults a FaultEnv injects must carry the kind the same failure has
// on a real system.

#include <gtest/gtest.h>

#include <functional>

#include "platform/env.h"
#include "support/fault_env.h"
#include "support/holder_process.h"
#include "support/status_print.h"
#include "support/system_entries.h"
#include "support/temp_tree.h"

namespace platform {
namespace {

using test_support::holder_process;
using test_support::temp_tree;
using Kind = Status::Kind;

TEST(StatusTest, KindAndPredicatesAgree) {
  const Status ok = Status::Ok();
  EXPECT_TRUE(ok.ok());
  EXPECT_EQ(ok.kind(), Kind::ok);
  EXPECT_TRUE(ok.message().isEmpty());

  // A failure never reads as ok, even when built with the ok kind.
  const Status odd = Status::Error(Kind::ok, "odd");
  EXPECT_FALSE(odd.ok());
  EXPECT_EQ(odd.kind(), Kind::other);
  EXPECT_EQ(Status::Error("plain").kind(), Kind::other);

  const struct {
    Kind kind;
    bool busy, exists, not_found, denied, io;
  } cases[] = {
      {Kind::busy, true, false, false, false, false},
      {Kind::exists, false, true, false, false, false},
      {Kind::not_found, false, false, true, false, false},
      {Kind::denied, false, false, false, true, false},
      {Kind::io, false, false, false, false, true},
      {Kind::other, false, false, false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.kind));
    const Status status = Status::Error(c.kind, "why");
    EXPECT_FALSE(status.ok());
    EXPECT_EQ(status.kind(), c.kind);
    EXPECT_EQ(status.message(), "why");
    EXPECT_EQ(status.is_busy(), c.busy);
    EXPECT_EQ(status.already_exists(), c.exists);
    EXPECT_EQ(status.is_not_found(), c.not_found);
    EXPECT_EQ(status.is_denied(), c.denied);
    EXPECT_EQ(status.is_io_error(), c.io);
  }
}

struct kind_case {
  const char* what;
  std::function<Status(const temp_tree&)> call;
  Kind kind;
  const char* reason;  // the end of the message, as the operator reads it
};

TEST(StatusKindTest, RealFailuresCarryTheirKind) {
  QByteArray contents;
  const kind_case cases[] = {
      {"rename onto an existing file",
       [](const temp_tree& t) {
         return env().rename_file(t.write("a.csv", "x"), t.write("taken.tmp", "y"));
       },
       Kind::exists, "File exists"},
      {"rename onto an existing folder",
       [](const temp_tree& t) {
         return env().rename_file(t.write("a.csv", "x"), t.make_folder("taken.tmp"));
       },
       Kind::exists, "File exists"},
      {"rename of a missing file",
       [](const temp_tree& t) { return env().rename_file(t.path("gone.csv"), t.path("b.tmp")); },
       Kind::not_found, "No such file or directory"},
      {"rename below a file",
       [](const temp_tree& t) {
         return env().rename_file(t.write("file", "x") + "/a.csv", t.path("b.tmp"));
       },
       Kind::not_found, "Not a directory"},
      {"rename of a file another process writes",
       [](const temp_tree& t) {
         const QString source = t.write("a.csv", "x");
         holder_process writer(source, holder_process::mode::write);
         return env().rename_file(source, t.path("b.tmp"));
       },
       Kind::busy, "The file is still open"},
      {"rename of a file another process reads",
       [](const temp_tree& t) {
         const QString source = t.write("a.csv", "x");
         holder_process reader(source, holder_process::mode::read);
         return env().rename_file(source, t.path("b.tmp"));
       },
       Kind::busy, "The file is still open"},
      {"rename of a folder",
       [](const temp_tree& t) { return env().rename_file(t.make_folder("sub"), t.path("b")); },
       Kind::other, "Not a file"},
      {"create a folder whose parent is missing",
       [](const temp_tree& t) { return env().create_folder(t.path("missing/new")); },
       Kind::not_found, "No such file or directory"},
      {"create a folder that exists",
       [](const temp_tree& t) { return env().create_folder(t.make_folder("there")); }, Kind::exists,
       "File exists"},
      {"read a folder",
       [&contents](const temp_tree& t) { return env().read_file(t.make_folder("f"), &contents); },
       Kind::other, "Not a file"},
      {"read a missing file",
       [&contents](const temp_tree& t) { return env().read_file(t.path("gone"), &contents); },
       Kind::not_found, "No such file or directory"},
      {"write into a missing folder",
       [](const temp_tree& t) { return env().write_file(t.path("missing/a.scn"), "x"); },
       Kind::not_found, "No such file or directory"},
      {"delete a missing file",
       [](const temp_tree& t) { return env().delete_file(t.path("gone")); }, Kind::not_found,
       "No such file or directory"},
      {"replace from a missing file",
       [](const temp_tree& t) { return env().replace_file(t.path("gone"), t.path("a.scn")); },
       Kind::not_found, "No such file or directory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const temp_tree tree;
    const Status status = c.call(tree);
    EXPECT_EQ(status.kind(), c.kind) << status.message().toStdString();
    // Windows words the system's reasons its own way; the program's own
    // reasons are the same on both.
    const bool own_reason = QLatin1String(c.reason) == QLatin1String("Not a file") ||
                            QLatin1String(c.reason) == QLatin1String("The file is still open");
    if (test_support::kOnWindows && !own_reason) continue;
    EXPECT_TRUE(status.message().endsWith(QLatin1String(c.reason)))
        << status.message().toStdString();
  }
}

TEST(StatusKindTest, InjectedFaultsCarryTheKindOfTheRealFailure) {
  const struct {
    const char* what;
    void (*arm)(FaultEnv&);
    std::function<Status(FaultEnv&, const temp_tree&)> call;
    Kind kind;
    const char* reason;
  } cases[] = {
      {"refused rename", [](FaultEnv& f) { f.refuse_rename(); },
       [](FaultEnv& f, const temp_tree& t) {
         return f.rename_file(t.write("a.csv", "x"), t.path("b.tmp"));
       },
       Kind::busy, "The file is still open"},
      {"refused folder", [](FaultEnv& f) { f.refuse_create_folder(); },
       [](FaultEnv& f, const temp_tree& t) { return f.create_folder(t.path("new")); }, Kind::denied,
       "Permission denied"},
      {"refused replace", [](FaultEnv& f) { f.refuse_replace(); },
       [](FaultEnv& f, const temp_tree& t) {
         return f.replace_file(t.write("a.tmp", "x"), t.path("a.scn"));
       },
       Kind::denied, "Permission denied"},
      {"refused delete", [](FaultEnv& f) { f.refuse_delete(); },
       [](FaultEnv& f, const temp_tree& t) { return f.delete_file(t.write("a.csv", "x")); },
       Kind::denied, "Permission denied"},
      {"full disk", [](FaultEnv& f) { f.fail_writes_after(2); },
       [](FaultEnv& f, const temp_tree& t) { return f.write_file(t.path("a.scn"), "12345"); },
       Kind::io, "No space left on device"},
      // A limited write to where no file can be created fails as any write
      // there would, not as a full disk.
      {"full disk, missing folder", [](FaultEnv& f) { f.fail_writes_after(2); },
       [](FaultEnv& f, const temp_tree& t) {
         return f.write_file(t.path("missing/a.scn"), "12345");
       },
       Kind::not_found, "No such file or directory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const temp_tree tree;
    FaultEnv fault;
    c.arm(fault);
    const Status status = c.call(fault, tree);
    EXPECT_EQ(status.kind(), c.kind) << status.message().toStdString();
    // The one real failure among them, in the system's own words on Windows.
    if (test_support::kOnWindows && c.kind == Kind::not_found) continue;
    EXPECT_TRUE(status.message().endsWith(QLatin1String(c.reason)))
        << status.message().toStdString();
  }
}

}  // namespace
}  // namespace platform
