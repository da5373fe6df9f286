#include "compiler/class_compiler.h"

#include <memory>

#include "compiler/compile_context.h"
#include "compiler/script_grammar.h"
#include "compiler/syntax_nodes.h"
#include "resources/rtti.h"
#include "shell/console.h"
#include "vm/errors.h"

namespace zunka {

namespace {

TResource* gRoot = nullptr;

// The grammar engine is built once, on the first compilation.
TYup& scriptEngine() {
  static std::unique_ptr<TYup> yup = makeScriptYup();
  return *yup;
}

void report(const std::string& message, const std::string& path, int32_t offset) {
  LogError(message, TTraceList{TTraceEntry{path, offset}}, true);
}

}  // namespace

void setCompilerRoot(TResource* root) { gRoot = root; }
TResource* compilerRoot() { return gRoot; }

int CompileClass(TRTTI& cls, std::string_view source, bool reportErrors) {
  if (!cls.src.empty()) Log("Compiling " + cls.src);
  TYup& yup = scriptEngine();
  std::unique_ptr<TLexList> tokens = yup.tokenize(source);
  tokens->removeTokensOf("COMM");
  ParseTree tree = yup.parse(*tokens);
  auto* program = dynamic_cast<G_Program*>(tree.root());
  if (!program) {
    cls.failed = true;
    if (reportErrors) report("文法エラー:" + cls.src, cls.src, std::max(tokens->lastAcceptedPos, 0));
    return 1;
  }
  TContext context(gRoot, &cls, tokens->source());
  cls.failed = false;
  try {
    program->Generate(context);
  } catch (const EError& e) {
    cls.failed = true;
    cls.compiled = false;
    if (reportErrors) report(e.message(), cls.src, context.statementOffset);
    return 1;
  }
  return 0;
}

}  // namespace zunka
