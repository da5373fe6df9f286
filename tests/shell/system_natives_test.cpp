#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "resources/project_state.h"
#include "resources/resource_tree.h"
#include "shell/host_state.h"
#include "shell/system_natives.h"
#include "vm/version.h"

using namespace zunka;
using namespace zunka::vm;

namespace {

NativeHandler systemNative(std::string_view name) {
  for (const NativeEntry& e : systemNatives())
    if (name == e.name) return e.handler;
  ADD_FAILURE() << "no native " << name;
  return unboundNative;
}

// Calls a native as the interpreter does: arguments below the target slot, the
// first argument right below it.
TValue call(std::string_view name, std::vector<TValue> args) {
  std::vector<TValue> slots(args.rbegin(), args.rend());
  slots.push_back(TValue{});
  systemNative(name)(nullptr, &slots.back(), static_cast<int32_t>(args.size()), 0);
  return slots.back();
}

class SystemNatives : public ::testing::Test {
 protected:
  void SetUp() override {
    hostState() = HostState{};
    projectState() = ProjectState{};
  }
  void TearDown() override {
    hostState() = HostState{};
    projectState() = ProjectState{};
  }
};

TEST_F(SystemNatives, SetFrameRateIgnoresIntervalsOfNineOrLessAndBatchesBelowOne) {
  call("_n_setFrameRate", {TValue::ofInt(10)});
  EXPECT_EQ(hostState().frameInterval, 10);
  call("_n_setFrameRate", {TValue::ofInt(9)});
  EXPECT_EQ(hostState().frameInterval, 10);
  call("_n_setFrameRate", {TValue::ofInt(20), TValue::ofInt(0)});
  EXPECT_EQ(hostState().frameInterval, 20);
  EXPECT_EQ(hostState().maxFramesPerBatch, 7);
  call("_n_setFrameRate", {TValue::ofInt(-5), TValue::ofInt(3)});
  EXPECT_EQ(hostState().frameInterval, 20);
  EXPECT_EQ(hostState().maxFramesPerBatch, 3);
  call("_n_setFrameRate", {TValue::ofFloat(33.9f), TValue::ofFloat(0.5f)});
  EXPECT_EQ(hostState().frameInterval, 33);  // converted to integers first
  EXPECT_EQ(hostState().maxFramesPerBatch, 3);
  call("_n_setFrameRate", {});
  EXPECT_EQ(hostState().frameInterval, 33);
}

TEST_F(SystemNatives, VersionIs1210) {
  TValue v = call("_n_version", {});
  EXPECT_EQ(v.kind, vtInt);
  EXPECT_EQ(v.i, kSystemVersion);
  EXPECT_EQ(kSystemVersion, 1210);
}

TEST_F(SystemNatives, ExitAndOpenIdeCloseTheScreenWindow) {
  call("_n_exit", {});
  EXPECT_TRUE(hostState().closing);
  hostState() = HostState{};
  resourceTree().baseDir = ::testing::TempDir() + "/no_ide_here/";
  call("_n_openIDE", {});  // nothing to start; the window closes all the same
  EXPECT_TRUE(hostState().closing);
}

}  // namespace
