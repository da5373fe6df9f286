#include "screen/screen_state.h"

#include <algorithm>

#include "debug/time_analyzer.h"
#include "platform/current_slot.h"
#include "resources/project_state.h"
#include "resources/resource.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "resources/snippet_service.h"

namespace zunka {
namespace {
platform::CurrentSlot<ScreenState> current;
// Time-analyser sections of the whole-screen redraw.
constexpr int kSectionDrawSprites = 48;
constexpr int kSectionFill = 50;
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

namespace {
constexpr uint32_t kWhite = 0xFFFFFFFFu;
}  // namespace

ScreenState::ScreenState() {
  picture_.width = kGameWidth;
  picture_.height = kGameHeight;
}

platform::Image& ScreenState::picture() {
  size_t pixels = size_t(std::max(picture_.width, 0)) * size_t(std::max(picture_.height, 0));
  if (picture_.pixels.size() != pixels) picture_.pixels.assign(pixels, kWhite);
  return picture_;
}

void ScreenState::resizePicture(int32_t width, int32_t height) {
  if (picture_.width == width && picture_.height == height) return;
  picture_.width = width;
  picture_.height = height;
  picture_.pixels.assign(size_t(std::max(width, 0)) * size_t(std::max(height, 0)), kWhite);
}

void PictureScreen::drawAll() {
  ScreenState& state = screenState();
  platform::Image& surface = state.picture();
  uint32_t background = 0xFFFFFFFFu;
  // White until the kernel has booted and while no page runs.
  const vm::TValue* colour = !state.kernelLoaded || projectState().noPageRunning
                                 ? nullptr
                                 : ExistingGlobalCell("$bgcolor");
  if (colour && (colour->kind == vm::vtInt || colour->kind == vm::vtFloat))
    background = raster::fromScriptColour(vm::toInt(*colour));
  {
    TimeSection fill(kSectionFill);
    raster::fill(surface, {0, 0, surface.width, surface.height}, background);
  }
  TimeSection draw(kSectionDrawSprites);
  state.sprites.DrawAll(surface, state.patterns);
}

void PictureScreen::clearSprites() {
  screenState().sprites.Clear();
}

void PictureScreen::resetPatterns() {
  ScreenState& state = screenState();
  state.patterns.TruncateAt(state.kernelPatternCount);
}

void PictureScreen::kernelLoaded() {
  ScreenState& state = screenState();
  state.kernelLoaded = true;
  state.kernelPatternCount = state.patterns.Total();
  ReloadAllPatterns();
}

}  // namespace zunka
