#include "compiler/lex_list.h"

#include <algorithm>

namespace zunka {

void TLexList::removeTokensOf(std::string_view ruleName) {
  std::erase_if(tokens_, [&](const TLexElem& token) { return token.ruleName() == ruleName; });
}

}  // namespace zunka
