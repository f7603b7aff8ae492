// A new deployment made in-process, where a FaultEnv makes the system say
// no as root's never does.

#include <QDir>

#include <gtest/gtest.h>

#include "program/new_deployment.h"
#include "support/fault_env.h"
#include "support/temp_tree.h"

namespace {

struct init_site {
  init_site() : use(&fault) {
    fault.set_program_file_path(tree.path("line/DORNIK_spectrum_scanner"));
  }
  test_support::temp_tree tree;
  platform::FaultEnv fault;
  platform::ScopedEnv use;
};

// Whatever the system refuses, the deployment says what failed and is not
// reported made.
TEST(NewDeploymentTest, AFailurePartWayIsReportedAndNeverTakenForADeployment) {
  struct fault_case {
    const char* what;
    std::function<void(platform::FaultEnv&)> inject;
    std::string named;  // in the message
  };
  const fault_case cases[] = {
      {"a folder of the VELLIC tree cannot be created",
       [](platform::FaultEnv& f) { f.refuse_create_folder("measurements"); }, "measurements"},
      {"the disk is full", [](platform::FaultEnv& f) { f.fail_writes_after(3); },
       "vellic_scanner.ini"},
      {"the probe-heads table cannot be put in place",
       [](platform::FaultEnv& f) { f.refuse_replace("DORNIK_probeheads.bin"); },
       "DORNIK_probeheads.bin"},
  };
  for (const fault_case& c : cases) {
    SCOPED_TRACE(c.what);
    init_site site;
    c.inject(site.fault);
    testing::internal::CaptureStderr();
    const int exit_code =
        program::make_new_deployment(program::deployment_kind::dornik, "DORNIK_spectrum_scanner");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(exit_code, 1);
    EXPECT_NE(err.find("is not complete"), std::string::npos) << err;
    EXPECT_NE(err.find(c.named), std::string::npos) << err;
    // The guide comes last: it is there only when everything else is.
    EXPECT_FALSE(site.tree.exists("line/settings_guide.txt"));
  }
}

TEST(NewDeploymentTest, AFolderThatCannotBeListedIsLeftAlone) {
  init_site site;
  site.tree.write("line/vellic_scanner.ini", "keep\r\n");
  site.fault.refuse_list("line");
  testing::internal::CaptureStderr();
  EXPECT_EQ(program::make_new_deployment(program::deployment_kind::dornik, "X"), 1);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(site.tree.read("line/vellic_scanner.ini"), "keep\r\n");
}

}  // namespace
