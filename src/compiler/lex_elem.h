#pragma once
#include <cstdint>
#include <string_view>

namespace zunka {

struct DefinitionElement;

// A token: the lexical top-level rule that matched and the matched byte range
// [start, end) of the source text. Counted while alive (the "gar" statistic).
class TLexElem {
 public:
  TLexElem(const DefinitionElement* rule, uint32_t start, uint32_t end);
  TLexElem(const TLexElem& other);
  TLexElem& operator=(const TLexElem& other) = default;
  ~TLexElem();

  const DefinitionElement* rule() const { return rule_; }
  std::string_view ruleName() const;
  uint32_t start() const { return start_; }
  uint32_t end() const { return end_; }

 private:
  const DefinitionElement* rule_;
  uint32_t start_;
  uint32_t end_;
};

}  // namespace zunka
