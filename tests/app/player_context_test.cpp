#include <gtest/gtest.h>

#include "app/player_context.h"
#include "resources/player_hosts.h"
#include "resources/project_state.h"
#include "shell/host_state.h"
#include "vm/runtime.h"

using namespace zunka;

namespace {

TEST(PlayerContext, AnInnerContextIsCurrentUntilItGoesAndLeavesTheOuterAlone) {
  vm::Machine* outerMachine = &vm::machine();
  projectState().kernelId = 41;
  hostState().frameCount = 7;
  {
    app::PlayerContext inner;
    EXPECT_EQ(&vm::machine(), &inner.machine());
    EXPECT_EQ(&projectState(), &inner.resources().project);
    EXPECT_FALSE(projectState().kernelId);
    EXPECT_EQ(hostState().frameCount, 0);
    projectState().kernelId = 99;
    vm::liveCounters().objects = 5;
  }
  EXPECT_EQ(&vm::machine(), outerMachine);
  EXPECT_EQ(projectState().kernelId, 41);
  EXPECT_EQ(hostState().frameCount, 7);
  projectState().kernelId.reset();
  hostState().frameCount = 0;
}

TEST(PlayerContext, ResetStartsEveryLayerAfresh) {
  app::PlayerContext context;
  vm::runtime().debugStepBudget = 3;
  vm::liveCounters().processes = 2;
  projectState().designMode = false;
  hostState().closing = true;
  context.reset();
  EXPECT_EQ(vm::runtime().debugStepBudget, vm::kUnlimitedSteps);
  EXPECT_EQ(vm::liveCounters().processes, 0);
  EXPECT_TRUE(projectState().designMode);
  EXPECT_FALSE(hostState().closing);
  EXPECT_EQ(&vm::machine(), &context.machine());
}

TEST(PlayerContext, HostsAreHeadlessUntilInstalledAndTheDebuggerIsThePauseRoutine) {
  app::PlayerContext context;
  struct CountingDebugger final : DebuggerHost {
    int pauses = 0;
    void refreshViews() override {}
    bool pause() override {
      ++pauses;
      vm::runtime().debugStepBudget = vm::kUnlimitedSteps;
      return true;
    }
  } debugger;
  EXPECT_EQ(vm::runtime().pauseRoutine, nullptr);
  playerHosts().debugger().pause();  // the headless debugger waits for nothing
  playerHosts().setDebugger(&debugger);
  ASSERT_NE(vm::runtime().pauseRoutine, nullptr);
  vm::runtime().pauseRoutine();
  EXPECT_EQ(debugger.pauses, 1);
  playerHosts().setDebugger(nullptr);
  EXPECT_EQ(vm::runtime().pauseRoutine, nullptr);
  EXPECT_NE(&playerHosts().debugger(), &debugger);
}

}  // namespace
