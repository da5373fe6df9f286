#pragma once
#include <cstddef>
#include <string_view>

namespace zunka {

// A place in a Shift_JIS source text, both counted from 1. Columns count
// characters, a double-byte character as one, as an editor shows them.
struct SourcePosition {
  int line = 1;
  int column = 1;
};

SourcePosition sourcePositionAt(std::string_view source, size_t offset);

}  // namespace zunka
