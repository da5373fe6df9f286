#pragma once
#include <string_view>

namespace zunka::platform {

// Modal message boxes. Texts are Shift_JIS, as everything inside the system;
// the implementation converts them for the host.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows `text` with an OK button and returns once it is dismissed.
  virtual void show(std::string_view text, std::string_view caption) = 0;
  // True when the "box" is the standard error stream itself (no window system):
  // a caller that has already written the text there need not write it twice.
  virtual bool isConsole() const = 0;
};

}  // namespace zunka::platform
