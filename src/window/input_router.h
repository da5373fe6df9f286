#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/activation.h"
#include "platform/clock_source.h"
#include "platform/gamepads.h"
#include "platform/host_window.h"
#include "platform/input_event.h"
#include "shell/host_state.h"
#include "window/input_log.h"
#include "window/mouse_input.h"
#include "window/screen_window.h"

namespace zunka {

// Everything the user does reaches the game through here: key states for getkey,
// the mouse handlers, focus, gamepad buttons as keys, joystick readings, and the
// window's shortcuts. What the game sees can be written to an input log as it
// happens, and a log can be played back instead of the devices: each input is
// delivered when the frame loop has completed the frames it was stamped with, so
// a replayed session runs exactly as recorded.
class InputRouter final : public platform::InputSink, public platform::Activation {
 public:
  struct Options {
    bool headless = false;
    std::function<void()> close;         // the user closes the window
    std::function<void()> showDebugger;  // Ctrl+F10
  };
  InputRouter(HostState& host, ScreenWindow& screen, platform::HostWindow& window,
              platform::ClockSource& clock, platform::Gamepads& gamepads, Options options);

  // Recording and replaying; false (with `error`) when the file cannot be used.
  bool record(const std::string& hostFile, std::string& error);
  bool replay(const std::string& hostFile, std::string& error);
  bool replaying() const { return replaying_; }

  // From the platform's window.
  void deliver(const platform::InputEvent& event) override;
  // Whether the game counts as in the foreground (the log's focus when replaying).
  bool isActive() const override;

  // Called before frames may run: delivers the logged inputs now due, and keeps
  // the frame loop from running past the next one; or, live, reads the joysticks
  // (once a script has asked for one).
  void deliverDue();

  // JoyStick natives read through here: the joystick as read before this batch of
  // frames (recorded when it changes), or as the replayed log says.
  bool readJoystick(int index, platform::JoyReading& reading);

  MouseInput& mouse() { return mouse_; }
  // Where the mouse was last seen, in game-area pixels.
  int32_t mouseX() const { return mouseX_; }
  int32_t mouseY() const { return mouseY_; }

 private:
  void apply(const LoggedInput& input);
  void note(const LoggedInput& input);
  void setKey(int32_t vk, bool down);
  void shortcut(int32_t vk);
  void userEvent(const platform::InputEvent& event);
  void sampleJoystick(size_t index);
  // Keys, text and presses a dialog takes; true when it took the press.
  bool dialogKey(const LoggedInput& input);
  void followDialogs();

  HostState& host_;
  ScreenWindow& screen_;
  platform::HostWindow& window_;
  platform::ClockSource& clock_;
  platform::Gamepads& gamepads_;
  Options options_;
  MouseInput mouse_;
  std::unique_ptr<InputLogWriter> writer_;
  bool replaying_ = false;
  std::vector<LoggedInput> script_;
  size_t next_ = 0;
  bool delivering_ = false;
  bool active_ = true;  // focus as the log says
  int32_t mouseX_ = 0, mouseY_ = 0;
  bool pressOnDialog_ = false;  // the button went down on a dialog: so does its release
  bool takingText_ = false;     // the window reports typed text (a dialog is open)
  // Joystick readings as the log says (replay) or as last recorded.
  std::array<std::optional<platform::JoyReading>, 2> joysticks_;
  std::array<bool, 2> joystickSampled_{};
  bool joystickUsed_ = false;
  // Gamepad buttons as keys (virtual-key codes per pad button).
  std::array<int32_t, 9> padKeys_{};
};

}  // namespace zunka
