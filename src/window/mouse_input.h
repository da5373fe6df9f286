#pragma once
#include <cstdint>

#include "platform/clock_source.h"
#include "shell/host_state.h"

namespace zunka {

// The screen window's mouse handlers, in game-area pixels: a press asks the
// objects under the cursor (their mouseDown) or $_mouse_event (onDown); a drag
// keeps the mouse globals up to date and runs a frame at once; a release calls
// the selected object's inspect.
class MouseInput {
 public:
  MouseInput(HostState& host, platform::ClockSource& clock) : host_(host), clock_(clock) {}
  void down(int32_t x, int32_t y, bool right);
  void move(int32_t x, int32_t y);
  void up(int32_t x, int32_t y, bool right);

  bool leftDown() const { return left_; }
  bool rightDown() const { return right_; }
  // A right press and release close together (not a drag): what design mode
  // would answer with the object menu.
  bool lastReleaseWasClick() const { return click_; }

 private:
  HostState& host_;
  platform::ClockSource& clock_;
  bool left_ = false, right_ = false;
  int32_t lastX_ = 0, lastY_ = 0;
  uint32_t lastTime_ = 0;
  int32_t pressX_ = 0, pressY_ = 0;
  bool rightDrag_ = false;
  bool click_ = false;
};

}  // namespace zunka
