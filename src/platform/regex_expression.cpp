#include "platform/regex_expression.h"

#include <vector>

#include "platform/regex_engine.h"
#include "platform/sjis_text.h"

namespace zunka::platform::regex {
namespace {

size_t utf8Length(char lead) {
  auto b = static_cast<unsigned char>(lead);
  return b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
}

[[noreturn]] void fail(const char* what, std::string_view expression) {
  throw RegexError(std::string(what) + " in " + std::string(expression));
}

// Any ASCII punctuation may delimit, as in Perl, except the backslash and the
// bracketing pairs (Perl closes those with their partner, which is not supported).
bool isDelimiter(char c) {
  auto b = static_cast<unsigned char>(c);
  if (b <= ' ' || b >= 0x7F) return false;
  if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return false;
  return c != '\\' && c != '(' && c != '[' && c != '{' && c != '<';
}

// Position of the delimiter closing a part that starts at i; a backslash hides the
// character after it. Scanning the UTF-8 form is safe: no byte of a multi-byte
// character equals an ASCII delimiter or backslash.
size_t findDelimiter(std::string_view text, size_t i, char delimiter) {
  while (i < text.size() && text[i] != delimiter) i += text[i] == '\\' ? 2 : 1;
  return i < text.size() ? i : std::string_view::npos;
}

ExpressionFlags parseFlags(std::string_view flags, std::string_view expression) {
  ExpressionFlags result;
  for (char c : flags) {
    switch (c) {
      case 'g':
        result.global = true;
        break;
      case 'i':
        result.caseless = true;
        break;
      case 'm':
        result.multiline = true;
        break;
      case 's':
        result.dotAll = true;
        break;
      case 'x':
        result.extended = true;
        break;
      case 'o':
        break;  // "compile once": every pattern is cached anyway
      default:
        fail("unknown flag", expression);
    }
  }
  return result;
}

uint32_t numberAt(std::string_view text, size_t i, int base, size_t maxDigits, size_t* end) {
  uint32_t value = 0;
  size_t count = 0;
  for (; i < text.size() && (maxDigits == 0 || count < maxDigits); ++i, ++count) {
    char c = text[i];
    int digit = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                       : 99;
    if (digit >= base) break;
    if (value < 0x1000000) value = value * base + digit;
  }
  if (end) *end = i;
  return value;
}

// Writes the pattern for byte matching from its original bytes. A double-byte
// character becomes the escapes of its two bytes (grouped outside a class so that a
// quantifier takes the whole character), because its raw trail byte could read as
// a metacharacter (表 ends in '\'). `text` is the UTF-8 form, `offsets` maps it.
std::string bytePattern(std::string_view text, std::string_view sjis, const uint32_t* offsets) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  bool inClass = false;
  auto original = [&](size_t i, size_t length) {
    return sjis.substr(offsets[i], offsets[i + length] - offsets[i]);
  };
  for (size_t i = 0; i < text.size();) {
    size_t length = utf8Length(text[i]);
    size_t next = i + length;
    if (text[i] == '\\' && next < text.size() &&
        original(next, utf8Length(text[next])).size() != 2) {
      size_t escaped = utf8Length(text[next]);
      out += original(i, length + escaped);  // an escape pair is copied whole
      i = next + escaped;
      continue;
    }
    if (text[i] == '\\' && next < text.size()) {  // an escaped double-byte character is literal
      i = next;
      continue;
    }
    std::string_view bytes = original(i, length);
    if (bytes.size() == 2) {
      if (!inClass) out += "(?:";
      for (unsigned char b : bytes) out += {'\\', 'x', kHex[b >> 4], kHex[b & 15]};
      if (!inClass) out += ')';
    } else if (text[i] == '[' && !inClass) {
      inClass = true;
      out += '[';
      if (next < text.size() && text[next] == '^') out += text[next++];
      if (next < text.size() && text[next] == ']') out += text[next++];  // a leading ] is literal
    } else if (text[i] == '[' && next < text.size() && text[next] == ':') {
      size_t close = text.find(":]", next);
      next = close == std::string_view::npos ? next : close + 2;
      out += text.substr(i, next - i);
    } else {
      if (text[i] == ']') inClass = false;
      out += bytes;
    }
    i = next;
  }
  return out;
}

}  // namespace

bool hasHighByteEscape(std::string_view pattern) {
  for (size_t i = 0; i + 1 < pattern.size(); ++i) {
    if (pattern[i] != '\\') continue;
    char c = pattern[++i];
    size_t end = 0;
    uint32_t value = 0;
    if ((c == 'x' || c == 'o') && i + 1 < pattern.size() && pattern[i + 1] == '{') {
      value = numberAt(pattern, i + 2, c == 'x' ? 16 : 8, 0, &end);
    } else if (c == 'x') {
      value = numberAt(pattern, i + 1, 16, 2, &end);
    } else if (c >= '1' && c <= '3') {  // three octal digits reach 0200 (below, it is a group)
      value = numberAt(pattern, i, 8, 3, &end);
      if (end != i + 3) value = 0;
    }
    if (value >= 0x80) return true;
  }
  return false;
}

ParsedExpression parseExpression(std::string_view expression) {
  std::string text;
  std::vector<uint32_t> offsets;
  decodeSjis(expression, InvalidSjisByte::kPrivateUse, text, &offsets);
  ParsedExpression parsed;
  size_t i = 0;
  if (text.size() >= 2 && (text[0] == 's' || text[0] == 'm') && isDelimiter(text[1])) {
    parsed.kind = text[0] == 's' ? ExpressionKind::kSubstitution : ExpressionKind::kMatch;
    i = 1;
  } else if (text.empty() || text[0] != '/') {
    fail("not a regular expression", expression);
  }
  char delimiter = text[i++];
  size_t patternEnd = findDelimiter(text, i, delimiter);
  if (patternEnd == std::string_view::npos) fail("missing closing delimiter", expression);
  std::string_view pattern = std::string_view(text).substr(i, patternEnd - i);
  size_t rest = patternEnd + 1;
  if (parsed.kind == ExpressionKind::kSubstitution) {
    size_t replacementEnd = findDelimiter(text, rest, delimiter);
    if (replacementEnd == std::string_view::npos) fail("missing closing delimiter", expression);
    parsed.replacement =
        parseReplacement(std::string_view(text).substr(rest, replacementEnd - rest), expression,
                         offsets.data() + rest);
    rest = replacementEnd + 1;
  }
  parsed.flags = parseFlags(std::string_view(text).substr(rest), expression);
  std::string_view original = expression.substr(offsets[i], offsets[patternEnd] - offsets[i]);
  parsed.utf = isValidSjis(original) && !hasHighByteEscape(pattern);
  parsed.pattern =
      parsed.utf ? std::string(pattern) : bytePattern(pattern, expression, &offsets[i]);
  return parsed;
}

}  // namespace zunka::platform::regex
