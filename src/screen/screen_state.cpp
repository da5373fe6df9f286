#include "screen/screen_state.h"

#include "platform/current_slot.h"
#include "resources/resource.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"

namespace zunka {
namespace {
platform::CurrentSlot<ScreenState> current;
}  // namespace

ScreenState& screenState() {
  return current.get();
}
ScreenState* setScreenState(ScreenState* state) {
  return current.set(state);
}

void ReloadAllPatterns() {
  TResourceList* root = resourceTree().root;
  if (!root) return;
  TResource* project = root->Find("usr.patterns");
  TResource* kernel = root->Find("patterns");
  if (!project || !kernel) return;
  screenState().patterns.TruncateAt(0);
  kernel->Initialize();
  project->Initialize();
}

void PictureScreen::resetPatterns() {
  ScreenState& state = screenState();
  state.patterns.TruncateAt(state.kernelPatternCount);
}

void PictureScreen::kernelLoaded() {
  ScreenState& state = screenState();
  state.kernelPatternCount = state.patterns.Total();
  ReloadAllPatterns();
}

}  // namespace zunka
