#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "compiler/lex_elem.h"

namespace zunka {

// The tokens of one source text, in source order, with the parser's state. The
// list keeps its own copy of the source so that token texts stay valid for as
// long as the tokens do.
class TLexList {
 public:
  explicit TLexList(std::string_view source) : source_(source) {}
  TLexList(const TLexList&) = delete;
  TLexList& operator=(const TLexList&) = delete;

  const std::string& source() const { return source_; }
  int count() const { return static_cast<int>(tokens_.size()); }
  const TLexElem& operator[](int i) const { return tokens_[i]; }
  std::string_view text(const TLexElem& token) const {
    return std::string_view(source_).substr(token.start(), token.end() - token.start());
  }

  void add(const DefinitionElement* rule, uint32_t start, uint32_t end) {
    tokens_.emplace_back(rule, start, end);
  }
  // Removes every token of the named lexical rule (comments before parsing).
  // Only allowed before parsing: result trees point into this list.
  void removeTokensOf(std::string_view ruleName);

  // Parser state: the index of the next token, and the source position of the
  // start of the token a terminal accepted last (-1 when none was accepted),
  // which is where a grammar error is reported.
  int cursor = 0;
  int lastAcceptedPos = -1;

 private:
  std::string source_;
  std::vector<TLexElem> tokens_;
};

}  // namespace zunka
