#pragma once
#include <cstdint>
#include <string>

#include "resources/player_hosts.h"
#include "screen/panel_table.h"
#include "screen/pattern_list.h"
#include "screen/sprite_list.h"

namespace zunka {

// The player's screen: what it draws from, and how it answers the rest of the
// player. It draws the same headless as in a window; showing the picture in a
// window and text are still to come.
class PictureScreen final : public ScreenHost {
 public:
  // Fills the game area (white before the kernel has booted and while no page
  // runs, else $bgcolor) and draws the sprite list onto it.
  void drawAll() override;
  void present() override {}
  void clearSprites() override;
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
  ScreenState();
  // The game area's size until the screen window says otherwise.
  static constexpr int32_t kGameWidth = 560;
  static constexpr int32_t kGameHeight = 381;

  TPatCache cache;
  TPatternList patterns;
  platform::TextRenderer text;
  TSpriteList sprites{text};
  TPanelTable panels;
  // The font of new text sprites (_n_setFont).
  std::string fontName;
  platform::TextStyle fontStyle;
  // The drawing offset (setAdjust), subtracted from the positions of new sprites.
  int32_t adjustX = 0;
  int32_t adjustY = 0;
  // The pattern total once the kernel's sheets were loaded: page loads keep them.
  int32_t kernelPatternCount = 0;
  bool kernelLoaded = false;  // the kernel has booted: $bgcolor may be read
  PictureScreen screen;

  // The game area as last drawn, white until then. Its pixels are made on first
  // use: a run that neither draws nor shows a picture never touches them.
  platform::Image& picture();
  // Gives the game area another size, white all over; the same size keeps it.
  void resizePicture(int32_t width, int32_t height);

 private:
  platform::Image picture_;
};

// The current player's screen state.
ScreenState& screenState();
// Makes `state` the current one; gives the one it replaces.
ScreenState* setScreenState(ScreenState* state);

// Loads every sheet again: the kernel's `patterns`, then the project's
// `usr.patterns`. Nothing happens while the project has no `usr.patterns`.
void ReloadAllPatterns();

}  // namespace zunka
