#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "app/player.h"
#include "platform/host_path.h"
#include "resources/project_state.h"
#include "shell/host_state.h"
#include "support/vm_world.h"

using namespace zunka;
using namespace zunka::vm;
using namespace zunka::testing;

namespace {

int framesRun = 0;
bool failOnFrame = false;

void frameNative(TNativeFunction*, TValue*, int32_t, uint32_t) {
  ++framesRun;
  if (failOnFrame && framesRun == 3) throw EError("三番目で失敗");
  if (runtime().current) runtime().current->Yield();
}

TRTTI* gameClass() {
  static TRTTI* cls = [] {
    VmWorld& w = VmWorld::get();
    TRTTI* c = w.makeClass("PlayerTestGame", w.objectClass);
    TNativeFunction* frame = w.addNative(c, "frame", frameNative);
    CodeBuilder main;
    CodeBuilder::Label top;
    main.bind(top).pushThis().nativeCall(0, frame).op(Op_Pop).jump(Op_Jump, top);
    w.setMain(c, main, {&top});
    return c;
  }();
  return cls;
}

// Stands in for page loading: the project's first page starts a root process.
struct GameBoot : BootSequence {
  void loadProject() override {
    self = newObject(gameClass());
    handle = TProcess::Create(self, {}, "")->handle();
    vm::runtime().rootProcess = handle;
    projectState().designMode = false;
  }
  ~GameBoot() override {
    if (TProcess* p = hostAs<TProcess>(handle)) delete p;
    setNull(self);
  }
  TValue self{};
  uint32_t handle = 0;
};

class PlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    savedDirectory = cwd;
    hostState() = HostState{};
    projectState() = ProjectState{};
    framesRun = 0;
    failOnFrame = false;
    options.headless = true;
    options.baseDir = ::testing::TempDir();
    VmWorld::get().console.clear();
  }
  void TearDown() override {
    hostState() = HostState{};
    projectState() = ProjectState{};
    ASSERT_EQ(chdir(savedDirectory.c_str()), 0);
  }
  std::string savedDirectory;
  app::PlayerOptions options;
};

TEST_F(PlayerTest, HeadlessRunStopsAfterTheFramesAskedFor) {
  options.frames = 25;
  GameBoot boot;
  EXPECT_EQ(app::runPlayer(options, boot), 0);
  EXPECT_EQ(framesRun, 25);
  EXPECT_EQ(hostState().frameCount, 25);
  EXPECT_EQ(hostState().drawCount, 25);            // one frame per call, each drawn
  EXPECT_EQ(&console(), &VmWorld::get().console);  // the player's sink is gone again
}

TEST_F(PlayerTest, HeadlessRunEndsWithStatusOneAfterAnError) {
  failOnFrame = true;
  ::testing::internal::CaptureStderr();
  GameBoot boot;
  int status = app::runPlayer(options, boot);
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(status, 1);
  EXPECT_EQ(framesRun, 3);  // the failed root process ended the run
  EXPECT_NE(err.find(reinterpret_cast<const char*>(u8"三番目で失敗")), std::string::npos);
}

TEST_F(PlayerTest, HeadlessRunWithNothingToRunEndsAtOnce) {
  BootSequence nothing;
  EXPECT_EQ(app::runPlayer(options, nothing), 0);
  EXPECT_TRUE(hostState().booted);
  EXPECT_EQ(hostState().frameCount, 0);
}

TEST_F(PlayerTest, LogFileReceivesConsoleLines) {
  std::string logPath = ::testing::TempDir() + "player_test.log";
  options.log = logPath;
  struct Talking : BootSequence {
    void boot() override { Log("Ready"); }
  } boot;
  EXPECT_EQ(app::runPlayer(options, boot), 0);
  std::ifstream in(logPath);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "Ready\n");
}

TEST_F(PlayerTest, OptionsThatCannotBeHonouredAreRefused) {
  BootSequence nothing;
  options.baseDir = ::testing::TempDir() + "/no/such/dir";
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(app::runPlayer(options, nothing), 2);
  options.baseDir = ::testing::TempDir();
  options.log = ::testing::TempDir() + "/no/such/dir/log.txt";
  EXPECT_EQ(app::runPlayer(options, nothing), 2);
  ::testing::internal::GetCapturedStderr();
}

TEST_F(PlayerTest, AFileThatCannotBeReadIsAnErrorNotTheBundledGame) {
  BootSequence nothing;
  for (std::string file : {::testing::TempDir() + "/no/such/page.cmml", ::testing::TempDir()}) {
    options.file = file;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(app::runPlayer(options, nothing), 1) << file;
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("cannot open " + file), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_FALSE(hostState().booted);  // nothing played
  }
  EXPECT_EQ(platform::hostFileProblem(::testing::TempDir() + "/no/such/page.cmml"), "no such file");
}

}  // namespace
