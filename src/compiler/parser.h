#pragma once
#include <memory>

#include "compiler/definition_element.h"
#include "compiler/lex_list.h"
#include "compiler/result_list.h"

namespace zunka {

enum class ParseMode {
  // Remembers every rule's outcome per token position, so that backtracking
  // never parses the same rule at the same place twice.
  kMemoized,
  // Re-parses after every backtrack; exponential on nested calls. Kept as the
  // reference the memoised parser must agree with.
  kPlainBacktracking,
};

// Nesting beyond this many grammar elements fails the parse instead of running
// out of stack (a source of ten thousand parentheses must not crash the player).
inline constexpr int kMaxParseDepth = 4000;

// Parses `tokens` with the first top-level rule of the grammar tree; the tree,
// or null when the rule does not match or leaves tokens unconsumed. Updates the
// list's cursor and last-accepted position either way.
std::unique_ptr<TResultList> parseTokens(const DefinitionElement& grammarRoot, TLexList& tokens,
                                         ParseMode mode);

// The two parsers behind parseTokens: the result of the grammar's first rule,
// or nothing; they leave the cursor after the match.
ResultItem parsePlain(const DefinitionElement& grammarRoot, TLexList& tokens);
ResultItem parseMemoized(const DefinitionElement& grammarRoot, TLexList& tokens);

}  // namespace zunka
