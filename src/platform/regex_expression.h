#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/regex_replacement.h"

// Taking an expression text ("/PAT/flags", "s/PAT/REPL/flags") apart.
namespace zunka::platform::regex {

enum class ExpressionKind : uint8_t { kMatch, kSubstitution };

struct ExpressionFlags {
  bool global = false;     // g
  bool caseless = false;   // i
  bool multiline = false;  // m
  bool dotAll = false;     // s
  bool extended = false;   // x
};

struct ParsedExpression {
  ExpressionKind kind = ExpressionKind::kMatch;
  bool utf = true;      // match characters (pattern is UTF-8) rather than bytes
  std::string pattern;  // ready for the engine in the chosen mode
  Replacement replacement;
  ExpressionFlags flags;
};

// Raises RegexError for a text that is not an expression, an unterminated one or an
// unknown flag. The pattern is not compiled here.
ParsedExpression parseExpression(std::string_view expression);

// True when the pattern (UTF-8 or ASCII) holds an escape for a byte value of 0x80
// or more (\x80, \x{ff}, \o{200}, \200), i.e. it was written about bytes.
bool hasHighByteEscape(std::string_view pattern);

}  // namespace zunka::platform::regex
