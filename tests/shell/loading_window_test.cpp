#include <gtest/gtest.h>

#include <vector>

#include "platform/headless_window.h"
#include "shell/loading_window.h"

using namespace zunka;

namespace {

struct FakeWindow : platform::HeadlessWindow {
  FakeWindow() : HeadlessWindow(560, 400) {}
  void showLoadingBar(int32_t width, uint32_t colour) override {
    bars.push_back(width);
    lastColour = colour;
  }
  void hideLoadingBar() override { hidden = true; }
  std::vector<int32_t> bars;
  uint32_t lastColour = 0;
  bool hidden = false;
};

TEST(LoadingWindow, FillsItsBarForTwoSecondsThenWaitsForBootBeforeStartingTheGame) {
  HostState state;
  FakeWindow view;
  LoadingWindow loading(state, view, false);
  loading.show(5000);
  loading.tickIfDue(5050);  // not yet a timer interval
  loading.tickIfDue(5500);
  EXPECT_EQ(view.bars, std::vector<int32_t>{140});  // 500 ms of 2000 across 560 pixels
  EXPECT_EQ(view.lastColour, 0xD0E0A3u);
  loading.tick(7100);
  EXPECT_FALSE(state.checkExec);  // boot has not finished
  EXPECT_TRUE(loading.timerEnabled());
  state.booted = true;
  loading.tick(7200);
  EXPECT_TRUE(state.checkExec);
  EXPECT_FALSE(loading.visible());
  EXPECT_FALSE(loading.timerEnabled());
  EXPECT_TRUE(view.hidden);
}

TEST(LoadingWindow, HeadlessRunsStartAsSoonAsBootHasFinished) {
  HostState state;
  FakeWindow view;
  LoadingWindow loading(state, view, true);
  loading.show(100);
  loading.tickIfDue(101);
  EXPECT_FALSE(state.checkExec);
  state.booted = true;
  loading.tickIfDue(102);
  EXPECT_TRUE(state.checkExec);
  EXPECT_TRUE(view.bars.empty());
}

TEST(LoadingWindow, ShownAgainAfterAnErrorItRunsItsBarAnew) {
  HostState state;
  state.booted = true;
  FakeWindow view;
  LoadingWindow loading(state, view, false);
  loading.show(0);
  loading.tick(2000);
  ASSERT_FALSE(loading.visible());
  loading.setCaption("usr\\game.zunka");
  loading.show(10000);
  loading.tick(11000);
  EXPECT_EQ(view.bars.back(), 280);
  EXPECT_TRUE(loading.visible());
  state.closing = true;  // a closing program's timer does nothing
  loading.tick(13000);
  EXPECT_TRUE(loading.visible());
}

}  // namespace
