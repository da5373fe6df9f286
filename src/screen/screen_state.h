#pragma once
#include <cstdint>

#include "resources/player_hosts.h"
#include "screen/pattern_list.h"

namespace zunka {

// The player's screen: what it draws from, and how it answers the rest of the
// player. So far it keeps the pattern sheets; drawing comes with the renderer.
class PictureScreen final : public ScreenHost {
 public:
  void drawAll() override {}
  void present() override {}
  void clearSprites() override {}
  void pageLoading() override {}
  void pageStarted() override {}
  void designModeChanged(bool) override {}
  // Back to the kernel's sheets, then the project's `usr.patterns` are loaded
  // again, after the kernel's `patterns` (when the project has such a list).
  void resetPatterns() override;
  // The sheets loaded so far are the kernel's; then every sheet is loaded again.
  void kernelLoaded() override;
  void drawActivityIndicator() override {}
};

// Everything the screen keeps for one player. The player context owns it.
struct ScreenState {
  TPatCache cache;
  TPatternList patterns;
  // The pattern total once the kernel's sheets were loaded: page loads keep them.
  int32_t kernelPatternCount = 0;
  PictureScreen screen;
};

// The current player's screen state.
ScreenState& screenState();
// Makes `state` the current one; gives the one it replaces.
ScreenState* setScreenState(ScreenState* state);

// Loads every sheet again: the kernel's `patterns`, then the project's
// `usr.patterns`. Nothing happens while the project has no `usr.patterns`.
void ReloadAllPatterns();

}  // namespace zunka
