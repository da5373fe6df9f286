#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gamepads.h"
#include "platform/stream_output.h"

namespace zunka {

// One input the game saw, stamped with the number of frames the frame loop had
// completed when it was delivered. The text form is a line of an input log:
//   FRAME key VK down|up
//   FRAME mouse X Y move | down left|right | up left|right
//   FRAME focus in|out
//   FRAME text UTF-8-TEXT
//   FRAME answer ok|cancel|close|1|2|3|4
//   FRAME joy N X Y BUTTONS | FRAME joy N none
struct LoggedInput {
  enum class Kind : uint8_t { Key, MouseMove, MouseDown, MouseUp, Focus, Text, Answer, Joystick };
  int64_t frame = 0;
  Kind kind = Kind::Key;
  int32_t vk = 0;      // key; the joystick number
  bool down = false;   // key down; focus in; joystick connected
  bool right = false;  // the right mouse button
  int32_t x = 0, y = 0;
  platform::JoyReading joystick;
  std::string text;  // typed text (UTF-8); the answer's word
  bool operator==(const LoggedInput&) const = default;
};

inline constexpr std::string_view kInputLogHeader = "zunka-input 1";

// The line of an input (without its line end).
std::string formatLoggedInput(const LoggedInput& input);

// Reads a whole log; on a line it cannot read gives nothing and says which line
// and why in `error`. Frames must not go backwards.
std::optional<std::vector<LoggedInput>> parseInputLog(std::string_view text, std::string& error);

// Writes inputs to a log file as they happen, each line flushed at once, so that
// a session that ends abruptly keeps what was recorded.
class InputLogWriter {
 public:
  // Nothing when the file cannot be made.
  static std::unique_ptr<InputLogWriter> create(const std::string& hostFile);
  void write(const LoggedInput& input);

 private:
  explicit InputLogWriter(std::unique_ptr<platform::StreamOutput> out) : out_(std::move(out)) {}
  std::unique_ptr<platform::StreamOutput> out_;
};

}  // namespace zunka
