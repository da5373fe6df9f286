#include <gtest/gtest.h>

#include <initializer_list>

#include "resources/project_state.h"
#include "shell/host_state.h"
#include "shell/input_natives.h"
#include "shell/shell_state.h"
#include "support/native_call.h"

using namespace zunka;
using namespace zunka::vm;

namespace {

class KeyboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetKeyboard();
    projectState().designMode = false;
    hostState().applicationActive = true;
  }
  void TearDown() override { resetKeyboard(); }

  int32_t poll(int32_t code) {
    TValue r = zunka::testing::callNative(zunka::testing::findNative(keyboardNatives(), "getkey"),
                                          TValue{}, {TValue::ofInt(code)});
    return r.i;
  }
  void newFrame() {
    zunka::testing::callNative(zunka::testing::findNative(keyboardNatives(), "getkey"), TValue{},
                               {});
  }

  // The keys held down, as the window's key events would leave them.
  struct HeldKeys {
    void operator=(std::initializer_list<int> codes) {
      clear();
      for (int code : codes) shellState().keyboard.down[size_t(code)] = true;
    }
    void clear() { shellState().keyboard.down.fill(false); }
  } down;
};

}  // namespace

TEST_F(KeyboardTest, HoldCountersCountFramesAndStayWithinAFrame) {
  down = {0x25};
  std::vector<int32_t> seen;
  for (int frame = 0; frame < 3; ++frame) {
    newFrame();
    seen.push_back(poll(0x25));
    seen.push_back(poll(0x25));  // a second object asking in the same frame
  }
  EXPECT_EQ(seen, (std::vector<int32_t>{1, 1, 2, 2, 3, 3}));
  down.clear();
  newFrame();
  EXPECT_EQ(poll(0x25), 0);
}

TEST_F(KeyboardTest, WithoutTheFrameResetTheCounterFreezes) {
  down = {'Z'};
  newFrame();
  EXPECT_EQ(poll('Z'), 1);
  EXPECT_EQ(poll('Z'), 1);
  EXPECT_EQ(poll('Z'), 1);
  // In design mode every poll samples.
  projectState().designMode = true;
  EXPECT_EQ(poll('Z'), 2);
  EXPECT_EQ(poll('Z'), 3);
}

TEST_F(KeyboardTest, OutOfRangeCodesReadKeyZeroAndInactiveWindowsReadNothing) {
  down = {0};
  newFrame();
  EXPECT_EQ(poll(300), 1);
  EXPECT_EQ(poll(-5), 1);
  down = {0x20};
  newFrame();
  EXPECT_EQ(poll(0x20), 1);
  hostState().applicationActive = false;
  newFrame();
  EXPECT_EQ(poll(0x20), 0);
  EXPECT_EQ(keyCounter(0x20), 1);  // kept for when the window comes back
  hostState().applicationActive = true;
  newFrame();
  EXPECT_EQ(poll(0x20), 2);
}
