#include "window/window_natives.h"

#include "resources/resources_state.h"
#include "resources/snippet_service.h"
#include "vm/natives/native_support.h"
#include "window/input_router.h"
#include "window/screen_window.h"
#include "window/window_state.h"

namespace zunka {
namespace {

using vm::nativeArg;
using vm::toInt;

// --- Window ---

ZUNKA_NATIVE(nativeSetSize) {
  ScreenWindow* screen = windowState().screen;
  if (argc < 3 || !screen) return;
  screen->setSize(toInt(nativeArg(target, 1)), toInt(nativeArg(target, 2)),
                  vm::isTrue(nativeArg(target, 3)));
}

ZUNKA_NATIVE(nativeSetPos) {
  ScreenWindow* screen = windowState().screen;
  if (argc < 2 || !screen) return;
  screen->setPos(toInt(nativeArg(target, 1)), toInt(nativeArg(target, 2)));
}

ZUNKA_NATIVE(nativeSetDrawMode) {
  ScreenWindow* screen = windowState().screen;
  if (argc < 1 || !screen) return;
  screen->setDrawMode(toInt(nativeArg(target, 1)));
}

// --- MouseManager ---

ZUNKA_NATIVE(nativeMoveCursor) {
  ScreenWindow* screen = windowState().screen;
  if (argc < 3 || !screen) return;
  screen->hostWindow().moveCursor(toInt(nativeArg(target, 2)) + screen->offsetX(),
                                  toInt(nativeArg(target, 3)) + screen->offsetY());
}

ZUNKA_NATIVE(nativeShowCursor) {
  ScreenWindow* screen = windowState().screen;
  if (argc < 2 || !screen) return;
  screen->hostWindow().showCursor(vm::isTrue(nativeArg(target, 2)));
}

// The mouse as last seen (the same live and in a replayed log), in game pixels.
ZUNKA_NATIVE(nativeRefreshXY) {
  InputRouter* input = windowState().input;
  if (argc < 1 || !input) return;
  if (vm::TValue* x = ExistingGlobalCell("$mouseX")) vm::setInt(*x, input->mouseX());
  if (vm::TValue* y = ExistingGlobalCell("$mouseY")) vm::setInt(*y, input->mouseY());
}

// --- JoyStick ---

// Reads joystick `number` (taken modulo 2) and widens the calibration; a failed
// read changes nothing.
JoystickState::Stick& sample(int32_t number) {
  JoystickState& j = windowState().joysticks;
  JoystickState::Stick& stick = j.sticks[size_t(number & 1)];
  platform::JoyReading r;
  InputRouter* input = windowState().input;
  if (!input || !input->readJoystick(number & 1, r)) return stick;
  j.last = r;
  j.xMax = std::max(j.xMax, r.x);
  j.yMax = std::max(j.yMax, r.y);
  j.xMin = std::min(j.xMin, r.x);
  j.yMin = std::min(j.yMin, r.y);
  int32_t cx = (j.xMax + j.xMin) / 2, cy = (j.yMax + j.yMin) / 2;
  stick.left = r.x < (j.xMin + cx) / 2;
  stick.right = r.x > (j.xMax + cx) / 2;
  stick.up = r.y < (j.yMin + cy) / 2;
  stick.down = r.y > (j.yMax + cy) / 2;
  return stick;
}

int32_t counted(int32_t& counter, bool held) {
  counter = held ? counter + 1 : 0;
  return counter;
}

ZUNKA_NATIVE(nativeJoyX) {
  if (argc < 1) return;
  sample(toInt(nativeArg(target, 1)));
  vm::setInt(*target, windowState().joysticks.last.x);
}
ZUNKA_NATIVE(nativeJoyY) {
  if (argc < 1) return;
  sample(toInt(nativeArg(target, 1)));
  vm::setInt(*target, windowState().joysticks.last.y);
}
ZUNKA_NATIVE(nativeJoyLeft) {
  if (argc < 1) return;
  JoystickState::Stick& s = sample(toInt(nativeArg(target, 1)));
  vm::setInt(*target, counted(s.leftCount, s.left));
}
ZUNKA_NATIVE(nativeJoyRight) {
  if (argc < 1) return;
  JoystickState::Stick& s = sample(toInt(nativeArg(target, 1)));
  vm::setInt(*target, counted(s.rightCount, s.right));
}
ZUNKA_NATIVE(nativeJoyUp) {
  if (argc < 1) return;
  JoystickState::Stick& s = sample(toInt(nativeArg(target, 1)));
  vm::setInt(*target, counted(s.upCount, s.up));
}
ZUNKA_NATIVE(nativeJoyDown) {
  if (argc < 1) return;
  JoystickState::Stick& s = sample(toInt(nativeArg(target, 1)));
  vm::setInt(*target, counted(s.downCount, s.down));
}
// getButtons(button, joystick)
ZUNKA_NATIVE(nativeJoyButton) {
  if (argc < 2) return;
  int32_t button = toInt(nativeArg(target, 1)) & 31;
  JoystickState::Stick& s = sample(toInt(nativeArg(target, 2)));
  bool held = (windowState().joysticks.last.buttons >> button & 1) != 0;
  vm::setInt(*target, counted(s.buttonCounts[size_t(button)], held));
}

constexpr vm::NativeEntry kWindow[] = {
    {"_n_setSize", nativeSetSize},
    {"_n_setPos", nativeSetPos},
    {"_n_setDrawMode", nativeSetDrawMode},
};
constexpr vm::NativeEntry kMouseManager[] = {
    {"_n_moveCursor", nativeMoveCursor},
    {"_n_showCursor", nativeShowCursor},
    {"_n_refreshXY", nativeRefreshXY},
};
constexpr vm::NativeEntry kJoyStick[] = {
    {"_n_getX", nativeJoyX},
    {"_n_getY", nativeJoyY},
    {"_n_left", nativeJoyLeft},
    {"_n_right", nativeJoyRight},
    {"_n_up", nativeJoyUp},
    {"_n_down", nativeJoyDown},
    {"_n_getButtons", nativeJoyButton},
};

}  // namespace

void RegisterWindowNatives() {
  RegisterNativeTable("classes.sys.Window", kWindow);
  RegisterNativeTable("classes.sys.MouseManager", kMouseManager);
  RegisterNativeTable("classes.sys.JoyStick", kJoyStick);
}

}  // namespace zunka
