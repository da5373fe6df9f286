#pragma once
#include <string_view>

namespace zunka::platform {

// A destination for lines of UTF-8 text (the terminal's streams, a log file).
class TextOutput {
 public:
  virtual ~TextOutput() = default;
  // Writes `utf8` and a line end; the line is on its way before this returns.
  virtual void writeLine(std::string_view utf8) = 0;
};

}  // namespace zunka::platform
