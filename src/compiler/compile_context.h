#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/lex_elem.h"
#include "compiler/prog_writer.h"

namespace zunka {

class TRTTI;
class TResource;
class TResList;
namespace vm {
class TNormalFunction;
}

// Where an element of a dotted chain left things: nothing yet, a resource being
// walked, a value on the stack, or right after `super` / `this`.
enum class ChainState { Start, Resource, Value, AfterSuper, AfterThis };

// State shared by the nodes of one class compilation. Names are resolved while
// code is written, in one walk, against the class, the function and the tree.
class TContext {
 public:
  TContext(TResource* root, TRTTI* cls, std::string_view source)
      : root(root), cls(cls), source(source) {}

  TProgWriter* writer = nullptr;
  TResource* root;
  TRTTI* cls;
  vm::TNormalFunction* function = nullptr;
  bool lvalueWanted = false;
  ChainState chain = ChainState::Start;
  TResource* resolved = nullptr;
  int pass = 1;
  std::string resolvedPath;
  std::string_view source;
  int32_t statementOffset = 0;
  std::vector<int32_t>* breaks = nullptr;  // pending break jumps of the innermost loop

  std::string_view text(const TLexElem* token) const {
    return source.substr(token->start(), token->end() - token->start());
  }
  // A token's text; empty where the grammar put a node instead of the token.
  std::string textOf(const TLexElem* token) const {
    return token ? std::string(text(token)) : std::string();
  }

  // Raises the compile error CLASS:TEXT.
  [[noreturn]] void fail(const std::string& text) const;
};

}  // namespace zunka
