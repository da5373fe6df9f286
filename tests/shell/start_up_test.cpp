#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <fstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "resources/paths.h"
#include "resources/project_state.h"
#include "resources/resource_tree.h"
#include "shell/start_up.h"
#include "support/vm_world.h"

using namespace zunka;
using namespace zunka::testing;

namespace {

// Records the steps and the flags each step saw.
struct RecordingBoot : BootSequence {
  explicit RecordingBoot(HostState& s) : state(s) {}
  void note(const std::string& step) {
    steps.push_back(step + (state.booting ? " booting" : "") + (state.booted ? " booted" : ""));
  }
  void initialiseSystem() override { note("init"); }
  void boot() override {
    note("boot");
    if (failBoot) throw EError("起動できません");
  }
  void loadProject() override { note("project"); }
  void startPage(const std::string& file) override {
    note("page");
    page = file;
  }
  void afterStart() override { note("after"); }
  HostState& state;
  std::vector<std::string> steps;
  std::string page;
  bool failBoot = false;
};

class StartUpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    savedDirectory = cwd;
    base = ::testing::TempDir();
    if (base.back() != '/') base += '/';
    VmWorld::get().console.clear();
  }
  void TearDown() override { ASSERT_EQ(chdir(savedDirectory.c_str()), 0); }

  std::string savedDirectory, base;
  HostState state;
  RecordingBoot boot{state};
};

TEST_F(StartUpTest, StepsRunInOrderWithTheBootFlags) {
  std::string page = base + "start_up_page.cmml";
  std::ofstream(page) << "<page/>";
  StartUp(state, boot).firstPaint(base, page);
  EXPECT_EQ(boot.steps, (std::vector<std::string>{"init booting", "boot booting", "project booting",
                                                  "page booted", "after booted"}));
  EXPECT_EQ(boot.page, platform::systemPath(page));
  EXPECT_EQ(resourceTree().baseDir, StripTrailingBackslash(platform::systemPath(base)));
  EXPECT_TRUE(projectState().fileToOpen.empty());
  EXPECT_TRUE(projectState().noPageRunning);
}

TEST_F(StartUpTest, MissingCommandLineFileIsDroppedSilently) {
  StartUp(state, boot).firstPaint(base, base + "no_such_page.cmml");
  EXPECT_EQ(boot.steps.size(), 4u);
  EXPECT_TRUE(boot.page.empty());
  EXPECT_TRUE(VmWorld::get().console.errors.empty());
}

TEST_F(StartUpTest, FailedBootIsReportedAndLeavesTheSystemBooting) {
  boot.failBoot = true;
  StartUp(state, boot).firstPaint(base, "");
  EXPECT_EQ(VmWorld::get().console.errors, std::vector<std::string>{"起動できません"});
  EXPECT_TRUE(state.booting);
  EXPECT_FALSE(state.booted);
  StartUp(state, boot).firstPaint(base, "");  // later paints do not boot again
  EXPECT_EQ(boot.steps.size(), 2u);
}

}  // namespace
