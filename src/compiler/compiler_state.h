#pragma once
#include <memory>
#include <string_view>

#include "compiler/snippets.h"
#include "resources/compile_service.h"
#include "resources/snippet_service.h"

namespace zunka {

class TYup;

// The script compiler as the class resources' compiler, and snippets run through it.
class ScriptClassCompiler final : public ClassCompiler {
 public:
  int Compile(TRTTI& cls, ClassSource& source, bool report) override;
};

class ScriptSnippetEvaluator final : public SnippetEvaluator {
 public:
  void Evaluate(std::string_view source) override;
  int EvaluateChecked(std::string_view source) override;
};

// Everything the compiler keeps for one player: the services it installs into the
// resource layer, the snippet class maker (made on first use, so that a player
// that runs no snippet takes no handle for it) and the grammar engine. The player context owns it.
struct CompilerState {
  CompilerState();
  ~CompilerState();
  ScriptClassCompiler classCompiler;
  ScriptSnippetEvaluator snippetEvaluator;
  std::unique_ptr<TEvalCache> evalCache;
  // The script grammar's engine, built on the first compilation.
  std::unique_ptr<TYup> engine;
};

// The current player's compiler state.
CompilerState& compilerState();
// Makes `state` the current one; gives the one it replaces.
CompilerState* setCompilerState(CompilerState* state);

}  // namespace zunka
