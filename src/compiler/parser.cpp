#include "compiler/parser.h"

#include "compiler/node_pool.h"

namespace zunka {

std::unique_ptr<TResultList> parseTokens(const DefinitionElement& grammarRoot, TLexList& tokens,
                                         ParseMode mode) {
  node_pool::ParseScope pooled;
  tokens.cursor = 0;
  tokens.lastAcceptedPos = -1;
  if (grammarRoot.children.empty()) return nullptr;
  const DefinitionElement& start = grammarRoot.children.front();
  ResultItem result = mode == ParseMode::kMemoized ? parseMemoized(grammarRoot, tokens)
                                                   : parsePlain(grammarRoot, tokens);
  if (!result || tokens.cursor != tokens.count()) return nullptr;
  if (result.node) return std::move(result.node);
  // A start rule that yields a bare token (a terminal or a choice of terminals)
  // still gives the caller a tree.
  std::unique_ptr<TResultList> root = start.prototype->newInstance();
  root->add(std::move(result));
  return root;
}

}  // namespace zunka
