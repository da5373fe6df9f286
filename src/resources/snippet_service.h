#pragma once
#include <string_view>

#include "vm/value.h"

namespace zunka {

// Host code and script objects meet through short script snippets ("$_1.onDestroy();")
// run by the snippet evaluator, which the compiler supplies. Until one is
// installed, snippets are skipped.
class SnippetEvaluator {
 public:
  virtual ~SnippetEvaluator() = default;
  // Compiles and runs `source` to completion; errors are the evaluator's to report.
  virtual void Evaluate(std::string_view source) = 0;
  // The same, telling how it went: 0 ran to its end, 1 did not compile, 2 ended
  // with a run-time error.
  virtual int EvaluateChecked(std::string_view source) {
    Evaluate(source);
    return 0;
  }
};

void setSnippetEvaluator(SnippetEvaluator* evaluator);
SnippetEvaluator* snippetEvaluator();
// Runs a snippet; false when no evaluator is installed.
bool RunSnippet(std::string_view source);
// Runs a snippet and gives EvaluateChecked's outcome, or -1 with no evaluator.
int RunSnippetChecked(std::string_view source);

// Evaluates a script expression by running "extends Object; $_tmp_valueOf=" +
// expression + ";" and gives the cell of the global `$_tmp_valueOf`; nullptr when
// the snippet did not run to its end (the cell is then left null).
vm::TValue* EvaluateExpression(std::string_view expression);

// The value cell of a global variable ("$_1"), created under usrglobal when
// missing; nullptr when the tree has no root or globals list yet.
vm::TValue* GlobalCell(std::string_view name);
// The value cell of a global variable that already exists under usrglobal, without
// creating one; nullptr otherwise.
vm::TValue* ExistingGlobalCell(std::string_view name);

}  // namespace zunka
