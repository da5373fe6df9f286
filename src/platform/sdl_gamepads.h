#pragma once
#include "platform/gamepads.h"

namespace zunka::platform {

// The host's game controllers and joysticks through SDL, opened on first use and
// followed as they are plugged in and out.
class SdlGamepads final : public Gamepads {
 public:
  ~SdlGamepads() override;
  bool read(int index, JoyReading& reading) override;

 private:
  bool started_ = false;
  void* opened_[2] = {nullptr, nullptr};  // SDL_Joystick*
};

}  // namespace zunka::platform
