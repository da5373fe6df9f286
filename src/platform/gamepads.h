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

}  // namespace zunka::platform
