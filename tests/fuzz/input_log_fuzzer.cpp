// Fuzz target: the input-log reader on arbitrary text. Besides memory safety it
// checks what a log it accepts promises: frames never go backwards, and every
// input written back as a line reads back as the same input.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "window/input_log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zunka;
  std::string error;
  auto inputs = parseInputLog(std::string_view(reinterpret_cast<const char*>(data), size), error);
  if (!inputs) {
    if (error.empty()) __builtin_trap();
    return 0;
  }
  std::string again(kInputLogHeader);
  again += "\n";
  int64_t last = 0;
  for (const LoggedInput& in : *inputs) {
    if (in.frame < last) __builtin_trap();
    last = in.frame;
    // Text runs to the end of its line: a line break inside it cannot be written back.
    if (in.kind == LoggedInput::Kind::Text && in.text.find_first_of("\r\n") != std::string::npos)
      return 0;
    again += formatLoggedInput(in) + "\n";
  }
  auto reread = parseInputLog(again, error);
  if (!reread || *reread != *inputs) __builtin_trap();
  return 0;
}
