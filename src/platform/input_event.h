#pragma once
#include <cstdint>
#include <string>

namespace zunka::platform {

// One thing the user did, as the player's window sees it: keys by virtual-key code
// (the Windows numbering scripts use), mouse positions in client pixels, focus
// changes, resizes and moves of the window, and a request to close it.
struct InputEvent {
  enum class Kind : uint8_t {
    Key,        // vk, down
    MouseMove,  // x, y
    MouseDown,  // x, y, right
    MouseUp,    // x, y, right
    Focus,      // down: gained
    Text,       // text (UTF-8)
    Composing,  // text (UTF-8): what an input method is composing, not yet typed
    Resized,    // x, y: the new client size
    Moved,      // x, y: the window's new position
    Exposed,    // the window needs painting again
    Close,
    PadButton,  // vk: a PadButton of the first gamepad, down
    Wheel,      // y: notches turned, positive away from the user
  };
  Kind kind = Kind::Key;
  int32_t vk = 0;
  bool down = false;
  bool right = false;   // the right mouse button (else the left)
  bool alt = false;     // Alt was held with the key
  bool ctrl = false;    // Ctrl was held with the key
  bool shift = false;   // Shift was held with the key
  bool repeat = false;  // a held key repeating (only tool windows are told of these)
  int32_t x = 0;
  int32_t y = 0;
  std::string text;
};

// The buttons of a gamepad, the stick counting as the d-pad.
enum PadButton : int32_t {
  kPadA,
  kPadB,
  kPadX,
  kPadY,
  kPadStart,
  kPadUp,
  kPadDown,
  kPadLeft,
  kPadRight
};

// Where a window sends what the user does.
class InputSink {
 public:
  virtual ~InputSink() = default;
  virtual void deliver(const InputEvent& event) = 0;
};

}  // namespace zunka::platform
