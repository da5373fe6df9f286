#pragma once
#include <memory>
#include <string_view>
#include <vector>

#include "compiler/definition_element.h"
#include "compiler/lex_list.h"

namespace zunka {

// Longest-match tokenizer over a lexical tree. At each position it tries the
// top-level rules listed before "*Stop" whose FIRST set holds the current byte;
// the longest match wins, the earlier rule among equals. A byte that starts no
// token is dropped.
class Tokenizer {
 public:
  explicit Tokenizer(const DefinitionElement& lexicalRoot);

  std::unique_ptr<TLexList> tokenize(std::string_view source) const;

 private:
  // The FIRST-set filter, worked out once: the candidate rules for each byte.
  std::vector<const DefinitionElement*> candidates_[256];
};

}  // namespace zunka
