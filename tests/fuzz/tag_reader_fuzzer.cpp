// Fuzz target: both tag readers on arbitrary bytes. Besides memory safety it
// checks that the writer and the character reader agree: writing an element and
// reading the text back gives the same text again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "resources/tag_reader.h"
#include "vm/console.h"
#include "vm/errors.h"

namespace {

class SilentConsole : public zunka::ConsoleSink {
 public:
  void log(std::string_view) override {}
  void logError(std::string_view, const zunka::TTraceList&, bool) override {}
};

// An empty tag name cannot be written back (the first attribute name would be
// read as the tag name), so the round trip is checked only without one.
bool allNamed(const zunka::TSGML& node) {
  if (node.TagName().empty()) return false;
  for (const auto& child : node.children())
    if (!allNamed(*child)) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SilentConsole console;
  zunka::setConsole(&console);
  std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    if (auto node = zunka::ParseTagText(text)) {
      std::string written = node->ToText();
      auto again = zunka::ParseTagText(written);
      if (allNamed(*node) && (!again || again->ToText() != written)) __builtin_trap();
    }
  } catch (const zunka::EError&) {
    // Too deep: a clear error is the expected outcome.
  }
  try {
    size_t pos = 0;
    if (auto node = zunka::ReadElement(text, pos)) node->ToText();
    if (pos > size) __builtin_trap();
  } catch (const zunka::EError&) {
  }
  return 0;
}
