#include "resources/snippet_service.h"

#include "resources/resource.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"

namespace zunka {
namespace {
SnippetEvaluator* installed = nullptr;
}  // namespace

void setSnippetEvaluator(SnippetEvaluator* evaluator) {
  installed = evaluator;
}
SnippetEvaluator* snippetEvaluator() {
  return installed;
}

bool RunSnippet(std::string_view source) {
  if (!installed) return false;
  installed->Evaluate(source);
  return true;
}

int RunSnippetChecked(std::string_view source) {
  return installed ? installed->EvaluateChecked(source) : -1;
}

vm::TValue* GlobalCell(std::string_view name) {
  TResource* global = resourceTree.root ? resourceTree.root->Find(name) : nullptr;
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
