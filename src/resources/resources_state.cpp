#include "resources/resources_state.h"

#include "resources/compile_service.h"

namespace zunka {
namespace {
ResourcesState* current = nullptr;
}  // namespace

ResourcesState& resourcesState() {
  return *current;
}

ResourcesState* setResourcesState(ResourcesState* state) {
  ResourcesState* previous = current;
  current = state;
  return previous;
}

ResourceTree& resourceTree() {
  return current->tree;
}
ProjectState& projectState() {
  return current->project;
}
PlayerHosts& playerHosts() {
  return current->hosts;
}
TEnvironmentStore& environmentStore() {
  return current->environment;
}
bool& alwaysRebuildPages() {
  return current->alwaysRebuildPages;
}
bool& rebuildStalePages() {
  return current->rebuildStalePages;
}

void setClassCompiler(ClassCompiler* compiler) {
  current->classCompiler = compiler;
}
ClassCompiler* classCompiler() {
  return current->classCompiler;
}

}  // namespace zunka
