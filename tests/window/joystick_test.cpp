#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>

#include "window_test_support.h"

using namespace zunka;
using namespace zunka::testing;

namespace {

// Two joysticks whose positions a test sets; none set reads as unplugged.
class ScriptedPads : public platform::Gamepads {
 public:
  bool read(int index, platform::JoyReading& reading) override {
    if (!now[index & 1]) return false;
    reading = *now[index & 1];
    return true;
  }
  std::optional<platform::JoyReading> now[2];
};

class JoystickTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    windowState().joysticks = JoystickState{};
    screen = std::make_unique<ScreenWindow>(window, host, false);
    input =
        std::make_unique<InputRouter>(host, *screen, window, clock, pads, InputRouter::Options{});
    windowState().input = input.get();
  }
  void TearDown() override {
    windowState().joysticks = JoystickState{};
    WindowTest::TearDown();
  }
  int32_t poll(const char* name, std::initializer_list<vm::TValue> args) {
    return callNative(windowNative("classes.sys.JoyStick", name), {}, args).i;
  }
  int32_t poll(const char* name, int32_t joystick) {
    return poll(name, {vm::TValue::ofInt(joystick)});
  }

  platform::HeadlessWindow window{560, 400};
  ScriptedPads pads;
  std::unique_ptr<ScreenWindow> screen;
  std::unique_ptr<InputRouter> input;
};

TEST_F(JoystickTest, DirectionsLieHalfwayBetweenTheCentreAndTheCalibratedEnds) {
  // Default calibration: centre 32500, left below 26250, right above 38750.
  auto at = [&](int joystick, int32_t x) {
    pads.now[joystick] = platform::JoyReading{x, 32767, 0};
    input->deliverDue();  // the next batch of frames reads it
  };
  at(0, 26249);
  EXPECT_EQ(poll("_n_left", 0), 1);
  at(0, 26250);
  EXPECT_EQ(poll("_n_left", 0), 0);
  at(0, 38751);
  EXPECT_EQ(poll("_n_right", 0), 1);
  at(0, 38750);
  EXPECT_EQ(poll("_n_right", 0), 0);

  // Every poll counts; x = 20000 is left on the first poll.
  at(1, 20000);
  EXPECT_EQ(poll("_n_left", 1), 1);
  EXPECT_EQ(poll("_n_left", 1), 2);
  EXPECT_EQ(poll("_n_left", 3), 3);  // joystick 3 is joystick 1

  // The calibration widens and never shrinks: after a reading at 0, 20000 is no
  // longer left of the new threshold ((0 + 22500) / 2 = 11250).
  at(0, 0);
  EXPECT_EQ(poll("_n_getX", 0), 0);
  at(0, 20000);
  EXPECT_EQ(poll("_n_left", 0), 0);
  EXPECT_EQ(windowState().joysticks.xMin, 0);
}

TEST_F(JoystickTest, ButtonsAreTakenModulo32AndAFailedReadKeepsTheLastOne) {
  pads.now[0] = platform::JoyReading{32767, 30000, 0b10};
  EXPECT_EQ(poll("_n_getButtons", {vm::TValue::ofInt(33), vm::TValue::ofInt(0)}), 1);
  EXPECT_EQ(poll("_n_getButtons", {vm::TValue::ofInt(1), vm::TValue::ofInt(0)}), 2);
  // Unplugged: the natives answer from the last reading.
  pads.now[0].reset();
  input->deliverDue();
  EXPECT_EQ(poll("_n_getButtons", {vm::TValue::ofInt(1), vm::TValue::ofInt(0)}), 3);
  EXPECT_EQ(poll("_n_getY", 0), 30000);
}

TEST_F(JoystickTest, ReadingsAreTakenPerBatchRecordedWhenTheyChangeAndReplayedAsRecorded) {
  std::string log = world->dir.host() + "/pad.log";
  std::string error;
  ASSERT_TRUE(input->record(log, error)) << error;
  pads.now[0] = platform::JoyReading{1000, 2000, 1};
  EXPECT_EQ(poll("_n_getX", 0), 1000);  // the first use reads at once
  input->deliverDue();                  // the next batch: the same reading
  host.frameCount = 4;
  pads.now[0] = platform::JoyReading{3000, 2000, 0};
  input->deliverDue();
  EXPECT_EQ(poll("_n_getX", 0), 3000);
  EXPECT_EQ(poll("_n_getX", 0), 3000);  // one reading for the whole batch
  host.frameCount = 5;
  pads.now[0].reset();
  input->deliverDue();  // unplugged
  EXPECT_EQ(poll("_n_getX", 0), 3000);
  input.reset();
  std::ifstream in(log);
  std::string text((std::istreambuf_iterator<char>(in)), {});
  // Joystick 1 was never connected: said once, with the first batch.
  EXPECT_EQ(text,
            "zunka-input 1\n0 joy 0 1000 2000 1\n0 joy 1 none\n4 joy 0 3000 2000 0\n"
            "5 joy 0 none\n");

  // Played back, the joystick reads what was recorded, frame by frame.
  InputRouter replay(host, *screen, window, clock, pads, {});
  windowState().input = &replay;
  ASSERT_TRUE(replay.replay(log, error)) << error;
  windowState().joysticks = JoystickState{};
  host.frameCount = 0;
  replay.deliverDue();
  EXPECT_EQ(poll("_n_getX", 0), 1000);
  EXPECT_EQ(host.framesBeforeInput, 4);  // no batch runs past frame 4 unseen
  host.frameCount = 4;
  replay.deliverDue();
  EXPECT_EQ(poll("_n_getX", 0), 3000);
  host.frameCount = 5;
  replay.deliverDue();
  EXPECT_EQ(poll("_n_getX", 0), 3000);  // unplugged: the last good reading
}

}  // namespace
