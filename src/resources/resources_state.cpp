#include "resources/resources_state.h"

#include "platform/current_slot.h"
#include "resources/compile_service.h"

namespace zunka {
namespace {
platform::CurrentSlot<ResourcesState> current;
}  // namespace

ResourcesState& resourcesState() {
  return current.get();
}
ResourcesState* setResourcesState(ResourcesState* state) {
  return current.set(state);
}

ResourceTree& resourceTree() {
  return current.get().tree;
}
ProjectState& projectState() {
  return current.get().project;
}
PlayerHosts& playerHosts() {
  return current.get().hosts;
}
TEnvironmentStore& environmentStore() {
  return current.get().environment;
}
bool& alwaysRebuildPages() {
  return current.get().alwaysRebuildPages;
}
bool& rebuildStalePages() {
  return current.get().rebuildStalePages;
}

void RegisterNativeTable(std::string classPath, std::span<const vm::NativeEntry> table) {
  current.get().nativeTables.emplace_back(std::move(classPath), table);
}

void setClassCompiler(ClassCompiler* compiler) {
  current.get().classCompiler = compiler;
}
ClassCompiler* classCompiler() {
  return current.get().classCompiler;
}

}  // namespace zunka
