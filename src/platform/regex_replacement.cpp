#include "platform/regex_replacement.h"

#include <cassert>

#include "platform/sjis_text.h"

namespace zunka::platform::regex {
namespace {

using Kind = ReplacementPart::Kind;

size_t utf8Length(char lead) {
  auto b = static_cast<unsigned char>(lead);
  return b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
bool isOctal(char c) {
  return c >= '0' && c <= '7';
}

int hexValue(char c) {
  if (isDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

char asciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}
char asciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

constexpr std::string_view kControlLetters = "ntrfae";
constexpr char kControlBytes[] = {'\n', '\t', '\r', '\f', '\a', '\x1B'};
constexpr std::string_view kCaseLetters = "ULQEul";
constexpr Kind kCaseKinds[] = {Kind::kUpper, Kind::kLower,      Kind::kQuote,
                               Kind::kEnd,   Kind::kUpperFirst, Kind::kLowerFirst};
constexpr std::string_view kMatchVariables = "&`'+";
constexpr Kind kMatchVariableKinds[] = {Kind::kGroup, Kind::kPrematch, Kind::kPostmatch,
                                        Kind::kLastGroup};

bool isCaseOperation(Kind kind) {
  return kind >= Kind::kUpper;
}

// Reads a replacement the way Perl reads the right side of s///: a double-quoted
// string in which $& and $N refer to the match.
class ReplacementReader {
 public:
  ReplacementReader(std::string_view utf8, std::string_view sjis, const uint32_t* offsets)
      : text_(utf8), sjis_(sjis), offsets_(offsets) {}

  Replacement read() {
    size_t i = 0;
    while (i < text_.size()) {
      if (text_[i] == '\\' && i + 1 < text_.size()) {
        i = readBackslash(i + 1);
      } else if (text_[i] == '$' && i + 1 < text_.size()) {
        i = readDollar(i + 1);
      } else {
        i = copyCharacter(i);
      }
    }
    return std::move(result_);
  }

 private:
  // Copies the original Shift_JIS bytes of the character at UTF-8 position i.
  size_t copyCharacter(size_t i) {
    size_t next = i + utf8Length(text_[i]);
    literal(sjis_.substr(offsets_[i], offsets_[next] - offsets_[i]));
    return next;
  }

  void literal(std::string_view bytes) {
    auto& parts = result_.parts;
    if (parts.empty() || parts.back().kind != Kind::kLiteral) parts.push_back({});
    parts.back().literal += bytes;
  }

  // A number from an escape: below 0x100 a byte, as \xHH is; above, a character,
  // written in Shift_JIS ('?' when code page 932 lacks it).
  void codePoint(uint32_t cp) {
    if (cp < 0x100) {
      char byte = static_cast<char>(cp);
      literal(std::string_view(&byte, 1));
      return;
    }
    std::string utf8;
    appendUtf8(utf8, cp <= 0x10FFFF ? cp : 0xFFFD);
    literal(utf8ToSjis(utf8));
  }

  void part(Kind kind, uint32_t group = 0) {
    result_.parts.push_back({kind, group, {}});
    if (isCaseOperation(kind)) result_.changesCase = true;
  }

  // Reads digits in `base` starting at i, at most maxDigits of them (0: any number);
  // returns the position after them.
  size_t readNumber(size_t i, int base, size_t maxDigits, uint32_t& value) {
    value = 0;
    size_t count = 0;
    while (i < text_.size() && (maxDigits == 0 || count < maxDigits)) {
      int digit = hexValue(text_[i]);
      if (digit < 0 || digit >= base) break;
      if (value < 0x110000) value = value * base + digit;
      ++i;
      ++count;
    }
    return i;
  }

  // Reads "{digits}" at i in `base`; on success returns the position after '}'.
  size_t readBraced(size_t i, int base, uint32_t& value) {
    size_t close = text_.find('}', i);
    if (close == std::string_view::npos) return std::string_view::npos;
    readNumber(i + 1, base, 0, value);
    return close + 1;
  }

  size_t readBackslash(size_t i) {
    char c = text_[i];
    uint32_t value = 0;
    if (size_t k = kControlLetters.find(c); k != std::string_view::npos)
      return simpleEscape(i, kControlBytes[k]);
    if (size_t k = kCaseLetters.find(c); k != std::string_view::npos) {
      part(kCaseKinds[k]);
      return i + 1;
    }
    if (c == 'c' && i + 1 < text_.size())  // \cX: the control character of X
      return simpleEscape(i + 1, static_cast<char>(asciiUpper(text_[i + 1]) ^ 64));
    if ((c == 'x' || c == 'o') && i + 1 < text_.size() && text_[i + 1] == '{') {
      size_t next = readBraced(i + 1, c == 'x' ? 16 : 8, value);
      if (next != std::string_view::npos) return numericEscape(value, next);
    }
    if (c == 'x') return numericEscape(value, readNumber(i + 1, 16, 2, value));
    // \1..\9 alone mean $1..$9, as Perl reads them in a replacement.
    if (c >= '1' && c <= '9' && (i + 1 >= text_.size() || !isDigit(text_[i + 1]))) {
      part(Kind::kGroup, static_cast<uint32_t>(c - '0'));
      return i + 1;
    }
    if (isOctal(c)) {
      i = readNumber(i, 8, 3, value);
      return numericEscape(value, i);
    }
    return copyCharacter(i);  // any other escaped character stands for itself
  }

  size_t numericEscape(uint32_t value, size_t next) {
    codePoint(value);
    return next;
  }

  size_t simpleEscape(size_t i, char byte) {
    literal(std::string_view(&byte, 1));
    return i + 1;
  }

  size_t readDollar(size_t i) {
    uint32_t value = 0;
    if (size_t k = kMatchVariables.find(text_[i]); k != std::string_view::npos) {
      part(kMatchVariableKinds[k]);  // $& $` $' $+
      return i + 1;
    }
    if (isDigit(text_[i])) {
      size_t next = readNumber(i, 10, 0, value);
      part(Kind::kGroup, value);
      return next;
    }
    if (text_[i] == '{') {
      size_t next = readNumber(i + 1, 10, 0, value);
      if (next > i + 1 && next < text_.size() && text_[next] == '}') {
        part(Kind::kGroup, value);
        return next + 1;
      }
    }
    literal("$");  // not a match variable: plain text
    return i;
  }

  std::string_view text_;
  std::string_view sjis_;
  const uint32_t* offsets_;
  Replacement result_;
};

// Writes expanded text through the case and quoting state of \U \L \Q \E \u \l.
// Only ASCII letters change case; a double-byte character is copied whole, so its
// trail byte (often an ASCII letter's code) is never touched.
class CaseWriter {
 public:
  explicit CaseWriter(std::string& out) : out_(out) {}

  void apply(Kind op) {
    switch (op) {
      case Kind::kUpper:
      case Kind::kLower:
        while (caseMode() != Kind::kLiteral) stack_.pop_back();  // \U replaces \L, as in Perl
        stack_.push_back(op);
        break;
      case Kind::kQuote:
        stack_.push_back(op);
        break;
      case Kind::kEnd:
        if (!stack_.empty()) stack_.pop_back();
        break;
      default:
        first_ = op;
        break;
    }
  }

  void write(std::string_view text) {
    Kind mode = caseMode();
    bool quote = quoting();
    for (size_t i = 0; i < text.size();) {
      size_t length = sjisCharLength(text, i);
      if (length == 2) {
        out_.append(text.substr(i, 2));
        first_ = Kind::kLiteral;
      } else {
        writeByte(text[i], mode, quote);
      }
      i += length;
    }
  }

 private:
  void writeByte(char c, Kind mode, bool quote) {
    if (first_ != Kind::kLiteral) mode = first_ == Kind::kUpperFirst ? Kind::kUpper : Kind::kLower;
    first_ = Kind::kLiteral;
    if (mode == Kind::kUpper) c = asciiUpper(c);
    if (mode == Kind::kLower) c = asciiLower(c);
    auto b = static_cast<unsigned char>(c);
    bool word = (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
                b == '_' || b >= 0x80;
    if (quote && !word) out_ += '\\';
    out_ += c;
  }

  Kind caseMode() const {
    for (auto it = stack_.rbegin(); it != stack_.rend(); ++it)
      if (*it != Kind::kQuote) return *it;
    return Kind::kLiteral;
  }

  bool quoting() const {
    for (Kind k : stack_)
      if (k == Kind::kQuote) return true;
    return false;
  }

  std::string& out_;
  std::vector<Kind> stack_;
  Kind first_ = Kind::kLiteral;  // a pending \u or \l
};

std::string_view slice(const MatchSlices& match, size_t group) {
  if (group >= match.groups.size()) return {};
  auto [begin, end] = match.groups[group];
  if (begin == MatchSlices::kUnset) return {};
  return match.subject.substr(begin, end - begin);
}

std::string_view partText(const ReplacementPart& part, const MatchSlices& match) {
  switch (part.kind) {
    case Kind::kLiteral:
      return part.literal;
    case Kind::kGroup:
      return slice(match, part.group);
    case Kind::kPrematch:
      return match.subject.substr(0, match.groups[0].first);
    case Kind::kPostmatch:
      return match.subject.substr(match.groups[0].second);
    case Kind::kLastGroup:
      for (size_t g = match.groups.size(); g-- > 1;)
        if (match.groups[g].first != MatchSlices::kUnset) return slice(match, g);
      return {};
    default:
      return {};
  }
}

}  // namespace

Replacement parseReplacement(std::string_view utf8, std::string_view sjis,
                             const uint32_t* sjisOffsets) {
  return ReplacementReader(utf8, sjis, sjisOffsets).read();
}

void expandReplacement(const Replacement& replacement, const MatchSlices& match, std::string& out) {
  assert(!match.groups.empty());
  if (!replacement.changesCase) {
    for (const ReplacementPart& part : replacement.parts) out += partText(part, match);
    return;
  }
  CaseWriter writer(out);
  for (const ReplacementPart& part : replacement.parts) {
    if (isCaseOperation(part.kind)) {
      writer.apply(part.kind);
    } else {
      writer.write(partText(part, match));
    }
  }
}

}  // namespace zunka::platform::regex
