#include "resources/snippet_service.h"

#include <string>

#include "resources/resource.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "resources/resources_state.h"

namespace zunka {
void setSnippetEvaluator(SnippetEvaluator* evaluator) {
  resourcesState().snippetEvaluator = evaluator;
}
SnippetEvaluator* snippetEvaluator() {
  return resourcesState().snippetEvaluator;
}

bool RunSnippet(std::string_view source) {
  SnippetEvaluator* evaluator = snippetEvaluator();
  if (!evaluator) return false;
  evaluator->Evaluate(source);
  return true;
}

int RunSnippetChecked(std::string_view source) {
  SnippetEvaluator* evaluator = snippetEvaluator();
  return evaluator ? evaluator->EvaluateChecked(source) : -1;
}

vm::TValue* EvaluateExpression(std::string_view expression) {
  vm::TValue* result = GlobalCell("$_tmp_valueOf");
  if (!result) return nullptr;
  // A snippet that fails must not leave the value of an earlier one behind.
  vm::setNull(*result);
  std::string source = "extends Object; $_tmp_valueOf=" + std::string(expression) + ";";
  if (RunSnippetChecked(source) != 0) {
    if ((result = GlobalCell("$_tmp_valueOf"))) vm::setNull(*result);
    return nullptr;
  }
  return GlobalCell("$_tmp_valueOf");
}

vm::TValue* GlobalCell(std::string_view name) {
  TResource* global = resourceTree().root ? resourceTree().root->Find(name) : nullptr;
  vm::Ref cell = global ? global->ValueCell() : 0;
  return cell ? vm::valueAt(cell) : nullptr;
}

vm::TValue* ExistingGlobalCell(std::string_view name) {
  TResourceList* globals = GlobalsList();
  TResource* global = globals ? globals->FindChild(name) : nullptr;
  vm::Ref cell = global ? global->ValueCell() : 0;
  return cell ? vm::valueAt(cell) : nullptr;
}

}  // namespace zunka
