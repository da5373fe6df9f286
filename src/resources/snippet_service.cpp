#include "resources/snippet_service.h"

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
