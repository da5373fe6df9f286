#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/gamepads.h"
#include "resources/environment_store.h"
#include "window_test_support.h"

using namespace zunka;
using namespace zunka::testing;

namespace {

using ScreenWindowTest = WindowTest;

void setSize(int32_t width, int32_t height, int32_t resizable) {
  callNative(windowNative("classes.sys.Window", "_n_setSize"), {},
             {vm::TValue::ofInt(width), vm::TValue::ofInt(height), vm::TValue::ofInt(resizable)});
}

TEST_F(ScreenWindowTest, ASizeSetByTheScriptIsTheGameAreaAndTheStatusBarComesOnTop) {
  platform::HeadlessWindow window(560, 400);
  ScreenWindow screen(window, host, false);
  windowState().screen = &screen;
  EXPECT_EQ(screen.gameHeight(), 381);
  setSize(320, 240, 0);
  EXPECT_EQ(window.clientWidth(), 320);
  EXPECT_EQ(window.clientHeight(), 259);
  EXPECT_FALSE(screen.resizable());
  // Hiding the status bar keeps the game area: the window shrinks.
  screen.setStatusBarVisible(false);
  EXPECT_EQ(window.clientHeight(), 240);
  EXPECT_EQ(screen.gameHeight(), 240);
  EXPECT_EQ(environmentStore().GetEnv("statusBar"), "0");
  // Drawn at that size: the screenshot is the game area.
  screen.drawAll();
  EXPECT_EQ(screenState().picture().width, 320);
  EXPECT_EQ(screenState().picture().height, 240);
  screen.setStatusBarVisible(true);
  EXPECT_EQ(window.clientHeight(), 259);

  // No size a script gives makes a window larger than 4096 pixels a side or empty.
  setSize(100000, -5, 1);
  EXPECT_EQ(window.clientWidth(), 4096);
  EXPECT_EQ(screen.gameHeight(), 1);
  environmentStore().SetEnv("statusBar", "1");
}

TEST_F(ScreenWindowTest, ARunningPageSnapsBackAndADesignedOneFollowsTheUser) {
  platform::HeadlessWindow window(560, 400);
  ScreenWindow screen(window, host, false);
  host.booted = true;
  screen.designModeChanged(false);  // a page runs: its size is the script's
  setGlobal("$ScreenWidth", 320);
  setGlobal("$ScreenHeight", 240);
  window.setClientSize(500, 300);  // the user drags the frame
  screen.userResized();
  EXPECT_EQ(window.clientWidth(), 320);
  EXPECT_EQ(window.clientHeight(), 259);

  screen.designModeChanged(true);
  window.setClientSize(500, 300);
  screen.userResized();
  EXPECT_EQ(window.clientWidth(), 500);
  EXPECT_EQ(global("$ScreenWidth"), 500);
  EXPECT_EQ(global("$ScreenHeight"), 281);
}

TEST_F(ScreenWindowTest, DrawModesOneToThreeAreChosenAndOthersChangeNothing) {
  platform::HeadlessWindow window(560, 400);
  ScreenWindow screen(window, host, false);
  windowState().screen = &screen;
  vm::NativeHandler mode = windowNative("classes.sys.Window", "_n_setDrawMode");
  callNative(mode, {}, {vm::TValue::ofInt(2)});
  EXPECT_EQ(screen.drawMode(), ScreenWindow::DrawMode::B);
  callNative(mode, {}, {vm::TValue::ofInt(4)});
  callNative(mode, {}, {vm::TValue::ofInt(0)});
  EXPECT_EQ(screen.drawMode(), ScreenWindow::DrawMode::B);
  callNative(mode, {}, {vm::TValue::ofInt(3)});
  EXPECT_EQ(screen.drawMode(), ScreenWindow::DrawMode::C);
}

TEST_F(ScreenWindowTest, OnTheWholeDisplayThePictureIsCentredAndClicksAreMovedBack) {
  platform::HeadlessWindow window(1024, 768);
  ScreenWindow screen(window, host, true);
  host.booted = true;
  setGlobal("$screenWidth", 640);
  setGlobal("$screenHeight", 480);
  screen.drawAll();
  EXPECT_EQ(screen.offsetX(), 192);
  EXPECT_EQ(screen.offsetY(), 144);
  EXPECT_EQ(screenState().picture().width, 640);
  screen.present();
  EXPECT_EQ(window.presented(), 1);

  platform::NoGamepads pads;
  InputRouter input(host, screen, window, clock, pads, {});
  std::string log = world->dir.host() + "/clicks.log";
  std::string error;
  ASSERT_TRUE(input.record(log, error)) << error;
  platform::InputEvent click;
  click.kind = platform::InputEvent::Kind::MouseDown;
  click.x = 200, click.y = 150;
  input.deliver(click);
  std::ifstream in(log);
  std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(text, "zunka-input 1\n0 mouse 8 6 down left\n");
  EXPECT_EQ(input.mouseX(), 8);
  EXPECT_EQ(input.mouseY(), 6);
  screenState().resizePicture(0, 0);
}

TEST_F(ScreenWindowTest, CtrlF10AsksForTheDebugWindowAndF10AloneDoesNot) {
  platform::HeadlessWindow window(640, 480);
  ScreenWindow screen(window, host, false);
  platform::NoGamepads pads;
  int asked = 0;
  InputRouter::Options options;
  options.showDebugger = [&] { ++asked; };
  InputRouter input(host, screen, window, clock, pads, options);
  auto key = [&](int32_t vk, bool down) {
    platform::InputEvent e;
    e.vk = vk;
    e.down = down;
    input.deliver(e);
  };
  key(0x79, true);  // F10
  key(0x79, false);
  EXPECT_EQ(asked, 0);
  key(0xA2, true);  // the left Ctrl
  key(0x79, true);
  EXPECT_EQ(asked, 1);
  key(0x79, false);
  key(0xA2, false);
}

}  // namespace
