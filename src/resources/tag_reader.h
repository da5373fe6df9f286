#pragma once
#include <cstddef>
#include <memory>
#include <string_view>

#include "resources/sgml.h"

namespace zunka {

// Deepest element nesting either reader accepts. Real files nest a handful of
// levels; the limit keeps a hostile file from exhausting the stack.
inline constexpr int kMaxTagDepth = 200;
// "タグの入れ子が深すぎます": raised when a file nests deeper than that.
extern const char* const kTagTooDeep;

// The character reader for tag files. Reads one element from `pos` and leaves
// `pos` after it; nothing is read (nullptr) when the text ends first or an end tag
// stands at `pos` (which then stays on its "<"). Malformed text never raises: an
// attribute cut off by the end of the text is dropped and the element ends there.
std::unique_ptr<TSGML> ReadTagElement(std::string_view text, size_t& pos);
// The first element of a text; anything after it is ignored.
std::unique_ptr<TSGML> ParseTagText(std::string_view text);

// The pattern reader for items that scripts build: attribute values are unescaped
// twice and the text between children is kept. Raises "Tag Error" when no tag is
// found; an element whose end tag is missing shows "invalid Tag : " and the rest.
std::unique_ptr<TSGML> ReadElement(std::string_view text, size_t& pos);

}  // namespace zunka
