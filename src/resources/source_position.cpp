#include "resources/source_position.h"

#include <cstdint>

namespace zunka {
namespace {

bool isLeadByte(uint8_t byte) {
  return (byte >= 0x81 && byte <= 0x9F) || byte >= 0xE0;
}

}  // namespace

SourcePosition sourcePositionAt(std::string_view source, size_t offset) {
  SourcePosition position;
  if (offset > source.size()) offset = source.size();
  for (size_t i = 0; i < offset; ++i) {
    uint8_t byte = static_cast<uint8_t>(source[i]);
    if (byte == '\n') {
      ++position.line;
      position.column = 1;
      continue;
    }
    // A lead byte and its trail byte are one character; a broken pair that runs
    // into the line end leaves the line count alone.
    if (isLeadByte(byte) && i + 1 < offset && source[i + 1] != '\n') ++i;
    ++position.column;
  }
  return position;
}

}  // namespace zunka
