#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Text inside the system is Shift_JIS (code page 932); the host speaks UTF-8.
// These conversions run at the edges (terminal, window, fonts) and inside the
// regular-expression service, which matches characters rather than bytes.
namespace zunka::platform {

// A byte that starts a two-byte character.
inline bool isSjisLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Bytes taken by the character starting at text[i]: a lead byte (0x81-0x9F,
// 0xE0-0xFC) takes the byte after it whatever that is, so a walk never lands on a
// trail byte; at the very end a lone lead byte counts as one.
inline size_t sjisCharLength(std::string_view text, size_t i) {
  return isSjisLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

// ASCII letters lowered; double-byte characters left whole (a second byte in
// 'A'..'Z' is not a letter). Names, paths and symbols compare under this fold.
inline std::string foldAsciiCase(std::string_view s) {
  std::string out(s);
  for (size_t i = 0; i < out.size(); i += sjisCharLength(out, i)) {
    char& c = out[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// foldAsciiCase(a) == foldAsciiCase(b), without building either copy.
inline bool sameFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  // Most names are compared with the same spelling: one block compare answers.
  if (a == b) return true;
  for (size_t i = 0; i < a.size();) {
    char x = a[i], y = b[i];
    if (sjisCharLength(a, i) == 2) {
      if (x != y || a[i + 1] != b[i + 1]) return false;
      i += 2;
      continue;
    }
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
    ++i;
  }
  return true;
}

// A hash of foldAsciiCase(s) (FNV-1a), without building the copy.
inline size_t foldedHash(std::string_view s) {
  uint64_t h = 14695981039346656037ull;
  const size_t n = s.size();
  for (size_t i = 0; i < n; ++i) {
    auto c = static_cast<unsigned char>(s[i]);
    // ASCII first: no lead byte is below 0x80, and names are mostly ASCII.
    if (c < 0x80) {
      if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
    } else if (isSjisLeadByte(c) && i + 1 < n) {
      h = (h ^ c) * 1099511628211ull;
      c = static_cast<unsigned char>(s[++i]);
    }
    h = (h ^ c) * 1099511628211ull;
  }
  return static_cast<size_t>(h);
}

// Hash and equality for containers of names that compare under foldAsciiCase;
// transparent, so a lookup by string_view allocates nothing.
struct FoldedNameHash {
  using is_transparent = void;
  // Deliberately not noexcept: the standard library then keeps each entry's hash
  // beside it, where otherwise a look-up would hash again, a pass over the name
  // each, every entry it walks past in the bucket, and growing the table would
  // hash every name again.
  size_t operator()(std::string_view s) const { return foldedHash(s); }
};
struct FoldedNameEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const noexcept {
    return sameFolded(a, b);
  }
};

// Position of the first (or last) `ch` that starts a character, or npos: a second
// byte that looks like `\` or `.` is never taken for one.
inline size_t findSjisChar(std::string_view s, char ch, size_t from = 0) {
  for (size_t i = from; i < s.size(); i += sjisCharLength(s, i))
    if (s[i] == ch) return i;
  return std::string_view::npos;
}
inline size_t findLastSjisChar(std::string_view s, char ch) {
  size_t last = std::string_view::npos;
  for (size_t i = 0; i < s.size(); i += sjisCharLength(s, i))
    if (s[i] == ch) last = i;
  return last;
}

// How a byte that does not belong to a valid character is written in UTF-8.
enum class InvalidSjisByte {
  kReplacementCharacter,  // U+FFFD, one per byte: visible, never silently dropped
  kPrivateUse,            // U+10FF00 + byte (U+10FF80..U+10FFFF): distinct per byte, so
                          // the original byte can be told apart and recovered
};

// Converts Shift_JIS to UTF-8 and appends it to `utf8`. Each bad byte becomes one
// character in the chosen form. When `offsets` is given it receives, for every
// UTF-8 byte position (and the end), the Shift_JIS position of the character
// containing it, so that ranges found in the UTF-8 text map back to the original.
void decodeSjis(std::string_view sjis, InvalidSjisByte form, std::string& utf8,
                std::vector<uint32_t>* offsets = nullptr);

// Shift_JIS to UTF-8; bytes that are not valid code page 932 become U+FFFD each.
std::string sjisToUtf8(std::string_view sjis);

// UTF-8 to Shift_JIS; a character code page 932 lacks, and each byte of malformed
// UTF-8, becomes '?'.
std::string utf8ToSjis(std::string_view utf8);

// True when every byte belongs to a character of code page 932.
bool isValidSjis(std::string_view text);

// Appends code point `cp` (at most 0x10FFFF) in UTF-8.
void appendUtf8(std::string& out, uint32_t cp);

// True when every byte is below 0x80 (then the text reads the same in both encodings).
bool isAscii(std::string_view text);

}  // namespace zunka::platform
