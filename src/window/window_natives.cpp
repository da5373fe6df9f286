#include "window/window_natives.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "resources/resources_state.h"
#include "resources/snippet_service.h"
#include "screen/screen_state.h"
#include "vm/natives/native_support.h"
#include "vm/tfstring.h"
#include "window/input_router.h"
#include "window/screen_window.h"
#include "window/window_state.h"

namespace zunka {
namespace {

using vm::nativeArg;
using vm::toInt;
using vm::TValue;

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

// --- Dialogs ---

// Argument i as text when it is there and not null.
std::optional<std::string> givenText(TValue* target, int32_t argc, int32_t i) {
  if (argc < i || nativeArg(target, i).kind == vm::vtNull) return std::nullopt;
  return vm::toText(nativeArg(target, i));
}

// InputBox open(caption, prompt, text): what is left out or null stays as it was.
ZUNKA_NATIVE(nativeInputOpen) {
  windowState().dialogs.openInput(givenText(target, argc, 1), givenText(target, argc, 2),
                                  givenText(target, argc, 3));
}
ZUNKA_NATIVE(nativeInputStatus) {
  vm::setInt(*target, windowState().dialogs.inputStatus());
}
ZUNKA_NATIVE(nativeInputText) {
  vm::setString(*target, windowState().dialogs.inputText());
}

// SelectBox open(message, caption, button1, button2, button3, button4)
ZUNKA_NATIVE(nativeSelectOpen) {
  if (argc < 6) return;
  std::array<std::string, 4> buttons;
  for (int32_t i = 0; i < 4; ++i) buttons[size_t(i)] = vm::toText(nativeArg(target, 3 + i));
  windowState().dialogs.openSelect(vm::toText(nativeArg(target, 1)),
                                   vm::toText(nativeArg(target, 2)), std::move(buttons));
}
ZUNKA_NATIVE(nativeSelectStatus) {
  vm::setInt(*target, windowState().dialogs.selectStatus());
}

// TextEditor edit(x, y, width, height, font, size[, mode]): mode 1 is one line.
ZUNKA_NATIVE(nativeEdit) {
  if (argc < 6) return;
  int32_t x = toInt(nativeArg(target, 1)), y = toInt(nativeArg(target, 2));
  int32_t w = std::clamp(toInt(nativeArg(target, 3)), 0, 16384);
  int32_t h = std::clamp(toInt(nativeArg(target, 4)), 0, 16384);
  x = std::clamp(x, -16384, 16384);
  y = std::clamp(y, -16384, 16384);
  bool oneLine = argc >= 7 && toInt(nativeArg(target, 7)) == 1;
  windowState().dialogs.edit({x, y, x + w, y + h}, vm::toText(nativeArg(target, 5)),
                             toInt(nativeArg(target, 6)), oneLine, screenState().text);
}
ZUNKA_NATIVE(nativeIsEditing) {
  InputRouter* input = windowState().input;
  bool active = !input || input->isActive();
  vm::setInt(*target, windowState().dialogs.editing() && active ? 1 : 0);
}
ZUNKA_NATIVE(nativeEditorText) {
  vm::setString(*target, windowState().dialogs.editorText());
}
ZUNKA_NATIVE(nativeEditorSetText) {
  if (argc < 1) return;
  windowState().dialogs.setEditorText(vm::toText(nativeArg(target, 1)));
}

constexpr vm::NativeEntry kInputBox[] = {
    {"_n_open", nativeInputOpen},
    {"_n_getStatus", nativeInputStatus},
    {"_n_getText", nativeInputText},
};
constexpr vm::NativeEntry kSelectBox[] = {
    {"_n_open", nativeSelectOpen},
    {"_n_getStatus", nativeSelectStatus},
};
constexpr vm::NativeEntry kTextEditor[] = {
    {"_n_edit", nativeEdit},
    {"_n_isEditing", nativeIsEditing},
    {"_n_getText", nativeEditorText},
    {"_n_setText", nativeEditorSetText},
};

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
  RegisterNativeTable("classes.sys.InputBox", kInputBox);
  RegisterNativeTable("classes.sys.SelectBox", kSelectBox);
  RegisterNativeTable("classes.util.TextEditor", kTextEditor);
}

}  // namespace zunka
