#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The replacement side of a substitution, read once when the expression is first
// seen and expanded for every match.
namespace zunka::platform::regex {

struct ReplacementPart {
  enum class Kind : uint8_t {
    kLiteral,     // `literal` bytes (Shift_JIS)
    kGroup,       // $&, $N, ${N}, \N
    kPrematch,    // $`
    kPostmatch,   // $'
    kLastGroup,   // $+
    kUpper,       // \U until \E
    kLower,       // \L until \E
    kQuote,       // \Q until \E
    kEnd,         // \E
    kUpperFirst,  // \u
    kLowerFirst,  // \l
  };
  Kind kind = Kind::kLiteral;
  uint32_t group = 0;
  std::string literal;
};

struct Replacement {
  std::vector<ReplacementPart> parts;
  bool changesCase = false;  // any \U \L \u \l \Q: expansion takes the slow path
};

// Reads the replacement text `utf8`, decoded from Shift_JIS; sjisOffsets[i] is the
// position in `sjis` of the character holding UTF-8 position i (i <= utf8.size()).
// Literal characters are copied from the original bytes, never re-encoded.
Replacement parseReplacement(std::string_view utf8, std::string_view sjis,
                             const uint32_t* sjisOffsets);

// Where a match lies in the subject (Shift_JIS positions). An unset group has
// begin == kUnset.
struct MatchSlices {
  static constexpr size_t kUnset = static_cast<size_t>(-1);
  std::string_view subject;
  std::vector<std::pair<size_t, size_t>> groups;  // group 0 is the whole match
};

// Appends the expansion of `replacement` for one match to `out`.
void expandReplacement(const Replacement& replacement, const MatchSlices& match, std::string& out);

}  // namespace zunka::platform::regex
