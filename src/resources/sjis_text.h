#pragma once
#include <string>
#include <string_view>

#include "platform/sjis_text.h"

namespace zunka {

// Text inside the system is Shift_JIS: the second byte of a double-byte character
// may look like `\`, `.` or an ASCII letter, so scans over names and paths step
// over whole characters instead of bytes.
inline bool isLeadByte(unsigned char c) {
  return platform::isSjisLeadByte(c);
}

// Byte length of the character starting at `i` (1 or 2; 1 at the end of the text).
inline size_t charLength(std::string_view s, size_t i) {
  return isLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

// ASCII letters lowered; double-byte characters left whole.
inline std::string foldAsciiCase(std::string_view s) {
  std::string out(s);
  for (size_t i = 0; i < out.size(); i += charLength(out, i)) {
    char& c = out[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// Position of the first (or last) `ch` that starts a character, or npos.
inline size_t findChar(std::string_view s, char ch, size_t from = 0) {
  for (size_t i = from; i < s.size(); i += charLength(s, i))
    if (s[i] == ch) return i;
  return std::string_view::npos;
}
inline size_t findLastChar(std::string_view s, char ch) {
  size_t last = std::string_view::npos;
  for (size_t i = 0; i < s.size(); i += charLength(s, i))
    if (s[i] == ch) last = i;
  return last;
}

}  // namespace zunka
