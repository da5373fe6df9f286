#include "compiler/class_compiler.h"

#include <memory>

#include "compiler/compile_context.h"
#include "compiler/compiler_state.h"
#include "compiler/script_grammar.h"
#include "compiler/snippets.h"
#include "compiler/syntax_nodes.h"
#include "debug/time_analyzer.h"
#include "platform/current_slot.h"
#include "resources/class_source.h"
#include "resources/compile_service.h"
#include "resources/paths.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "resources/rtti.h"
#include "resources/snippet_service.h"
#include "vm/console.h"
#include "vm/errors.h"

namespace zunka {

namespace {

constexpr int kParseSection = 10;  // tokenizing and parsing a class source

TYup& scriptEngine() {
  std::unique_ptr<TYup>& engine = compilerState().engine;
  if (!engine) engine = makeScriptYup();
  return *engine;
}

void report(const std::string& message, const std::string& path, int32_t offset) {
  LogError(message, TTraceList{TTraceEntry{path, offset}}, true);
}

platform::CurrentSlot<CompilerState> currentState;

}  // namespace

CompilerState::CompilerState() = default;
CompilerState::~CompilerState() = default;

CompilerState& compilerState() {
  return currentState.get();
}
CompilerState* setCompilerState(CompilerState* state) {
  return currentState.set(state);
}

int ScriptClassCompiler::Compile(TRTTI& cls, ClassSource& source, bool report) {
  return CompileClass(cls, source, report);
}

void ScriptSnippetEvaluator::Evaluate(std::string_view source) {
  EvaluateWithReport(source);
}

int ScriptSnippetEvaluator::EvaluateChecked(std::string_view source) {
  return EvaluateWithReport(source);
}

void installScriptCompiler() {
  setClassCompiler(&compilerState().classCompiler);
  setSnippetEvaluator(&compilerState().snippetEvaluator);
}

int CompileClass(TRTTI& cls, std::string_view text, bool reportErrors) {
  ClassSource source(text);
  return CompileClass(cls, source, reportErrors);
}

int CompileClass(TRTTI& cls, ClassSource& source, bool reportErrors) {
  if (!cls.src.empty()) {
    Log("Compiling " + RelativePath(cls.src, resourceTree().workDir));
    if (cls.LoadClassFile(source)) return 0;
  }
  TYup& yup = scriptEngine();
  std::unique_ptr<TLexList> tokens;
  ParseTree tree;
  {
    TimeSection parsing(kParseSection);
    tokens = yup.tokenize(source.text());
    tokens->removeTokensOf("COMM");
    tree = yup.parse(*tokens);
  }
  auto* program = dynamic_cast<G_Program*>(tree.root());
  if (!program) {
    cls.failed = true;
    if (reportErrors)
      report("文法エラー:" + cls.src, cls.src, std::max(tokens->lastAcceptedPos, 0));
    return 1;
  }
  TContext context(resourceTree().root, &cls, tokens->source());
  cls.failed = false;
  try {
    program->Generate(context);
  } catch (const EError& e) {
    cls.failed = true;
    cls.compiled = false;
    if (reportErrors) report(e.message(), cls.src, context.statementOffset);
    return 1;
  }
  if (!cls.src.empty() && cls.compiled) cls.SaveClassFile(source);
  return 0;
}

}  // namespace zunka
