#pragma once
#include <cstdint>

namespace zunka::platform {

// A joystick as old game code reads it: two axes from 0 to 65535 (32767 centred)
// and a mask of up to 32 buttons.
struct JoyReading {
  int32_t x = 32767;
  int32_t y = 32767;
  uint32_t buttons = 0;
  bool operator==(const JoyReading&) const = default;
};

class Gamepads {
 public:
  virtual ~Gamepads() = default;
  // Reads joystick `index` (0 or 1); false when none is connected there.
  virtual bool read(int index, JoyReading& reading) = 0;
};

class NoGamepads final : public Gamepads {
 public:
  bool read(int, JoyReading&) override { return false; }
};

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
