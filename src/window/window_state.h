#pragma once
#include <array>
#include <cstdint>

#include "platform/gamepads.h"
#include "window/dialogs.h"

namespace zunka {

class ScreenWindow;
class InputRouter;

// Joysticks 0 and 1 as scripts poll them: one calibration and one last reading
// shared by both, direction flags and hold counters per joystick.
struct JoystickState {
  int32_t xMax = 45000, yMax = 45000, xMin = 20000, yMin = 20000;
  platform::JoyReading last;
  struct Stick {
    bool left = false, right = false, up = false, down = false;
    int32_t leftCount = 0, rightCount = 0, upCount = 0, downCount = 0;
    std::array<int32_t, 32> buttonCounts{};
  };
  std::array<Stick, 2> sticks;
};

// What the screen window and the input devices keep for one player. The player
// context owns it; the window and the input router exist while a session runs.
struct WindowState {
  JoystickState joysticks;
  Dialogs dialogs;
  ScreenWindow* screen = nullptr;
  InputRouter* input = nullptr;
};

// The current player's.
WindowState& windowState();
// Makes `state` the current one; gives the one it replaces.
WindowState* setWindowState(WindowState* state);

}  // namespace zunka
