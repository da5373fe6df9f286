#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/regex_expression.h"

struct pcre2_real_code_8;
struct pcre2_real_match_data_8;

// A compiled expression and the subject text in the form it matches against.
namespace zunka::platform::regex {

// The subject as the engine sees it: the original bytes in byte mode or when they
// are plain ASCII, otherwise their UTF-8 form with a map back to the original.
class Subject {
 public:
  Subject(std::string_view original, bool utf);

  std::string_view original() const { return original_; }
  std::string_view engineText() const { return mapped_ ? std::string_view(utf8_) : original_; }
  size_t toOriginal(size_t enginePosition) const {
    return mapped_ ? offsets_[enginePosition] : enginePosition;
  }

 private:
  std::string_view original_;
  bool mapped_ = false;
  std::string utf8_;
  std::vector<uint32_t> offsets_;
};

// Engine positions of one match: group g spans [begin[g], end[g]); an unset group
// has begin == kUnset.
struct MatchSpans {
  static constexpr size_t kUnset = static_cast<size_t>(-1);
  std::vector<size_t> begin;
  std::vector<size_t> end;
};

class Program {
 public:
  Program(ParsedExpression parsed, std::string_view expressionText);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  const ParsedExpression& expression() const { return parsed_; }

  // Finds the leftmost match at or after `start`. With notEmptyAtStart, a match
  // beginning at `start` must not be empty: Perl's rule after an empty match,
  // which keeps global substitution and split moving forward.
  bool find(const Subject& subject, size_t start, bool notEmptyAtStart, MatchSpans& spans);

  // The match as positions in the original bytes.
  void toSlices(const Subject& subject, const MatchSpans& spans, MatchSlices& slices) const;

 private:
  ParsedExpression parsed_;
  std::string text_;  // the expression as written, for error messages
  pcre2_real_code_8* code_ = nullptr;
  pcre2_real_match_data_8* matchData_ = nullptr;
  uint32_t groupCount_ = 0;
};

// The compiled program for an expression text, from a per-thread cache (callers
// run the same few expressions over and over). Raises RegexError when the text or
// its pattern is malformed. The reference stays valid until the next call.
Program& programFor(std::string_view expression);

}  // namespace zunka::platform::regex
