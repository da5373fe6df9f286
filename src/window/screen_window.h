#pragma once
#include <cstdint>
#include <string>

#include "platform/host_window.h"
#include "platform/image_file.h"
#include "resources/player_hosts.h"
#include "screen/screen_state.h"
#include "shell/host_state.h"

namespace zunka {

// The player's main window as the game sees it: a client area (560 × 400 at
// first) whose bottom 19 pixels are the status bar, leaving the game area; its
// size kept in step with $ScreenWidth and $ScreenHeight; the picture drawn from
// the sprite list and shown, centred on the whole display when the player was
// started with FULLSCREEN; the activity indicator; the information overlay.
class ScreenWindow final : public ScreenHost {
 public:
  static constexpr int32_t kStatusBarHeight = 19;
  static constexpr int32_t kClientWidth = 560;
  static constexpr int32_t kClientHeight = 400;
  // The draw modes of _n_setDrawMode and the menu: all three show the picture the
  // same way here; the mode chosen is kept and shown.
  enum class DrawMode : int32_t { A = 1, B = 2, C = 3 };

  // `coverDisplay`: the window covers the display (the FULLSCREEN start).
  ScreenWindow(platform::HostWindow& window, HostState& host, bool coverDisplay);

  // --- ScreenHost ---
  void drawAll() override;
  void present() override;
  void clearSprites() override { pictures_.clearSprites(); }
  void pageLoading() override;
  void pageStarted() override;
  void designModeChanged(bool design) override;
  void resetPatterns() override { pictures_.resetPatterns(); }
  void kernelLoaded() override { pictures_.kernelLoaded(); }
  void drawActivityIndicator() override { activityIndicator(false); }

  // --- Size ---
  int32_t clientWidth() const { return window_.clientWidth(); }
  int32_t clientHeight() const { return window_.clientHeight(); }
  // The client height less the status bar while it shows.
  int32_t gameHeight() const;
  // Sets the client height to `height` plus the status bar while it shows.
  void setGameHeight(int32_t height);
  void setClientWidth(int32_t width);
  bool statusBarVisible() const { return statusBar_; }
  // Shows or hides the status bar keeping the game height (the window grows or
  // shrinks), and remembers the choice in the environment value statusBar.
  void setStatusBarVisible(bool visible);
  bool resizable() const { return resizable_; }

  // --- What the user does to the window ---
  void userResized();
  void moved(int32_t x, int32_t y);
  // The window needs painting: the drawing suspension ends and the picture is
  // drawn again (not after boot while $_seamLessLoad is true).
  void paint();
  // Every 200 ms: while no page runs, the picture is drawn again.
  void timerTick(uint32_t now);

  // --- Natives ---
  void setSize(int32_t width, int32_t height, bool resizable);
  void setPos(int32_t x, int32_t y);
  // 1, 2 and 3 choose A, B and C; false for any other value (nothing changes).
  bool setDrawMode(int32_t mode);
  DrawMode drawMode() const { return drawMode_; }

  // --- The FULLSCREEN start: the picture centred on the display ---
  bool coversDisplay() const { return coverDisplay_; }
  int32_t offsetX() const { return offsetX_; }
  int32_t offsetY() const { return offsetY_; }

  platform::HostWindow& hostWindow() { return window_; }
  // The game area as last drawn with the dialogs open over it (what a screenshot
  // shows: no status bar, no information overlay).
  platform::Image gamePicture() const;

  // --- Extras ---
  void toggleInformation() { information_ = !information_; }
  bool informationShown() const { return information_; }
  // Frames drawn per second, as the status bar shows them.
  void noteDrawnFrame(double milliseconds);
  // The three status-bar panels' texts (Shift_JIS).
  std::string statusPanel(int panel) const;

 private:
  void activityIndicator(bool force);
  void updateOffsets();
  void fitSurface();
  void composeClient();
  void drawStatusBar();
  void drawInformation();
  void resizeWindow(int32_t width, int32_t height);
  uint32_t backgroundPixel() const;

  platform::HostWindow& window_;
  HostState& host_;
  PictureScreen pictures_;
  bool coverDisplay_;
  bool statusBar_ = true;
  bool resizable_ = true;
  bool settingOwnSize_ = false;
  DrawMode drawMode_ = DrawMode::A;
  int32_t offsetX_ = 0, offsetY_ = 0;
  int32_t pictureWidth_ = 800, pictureHeight_ = 600;  // centred on the covered display
  bool indicatorOn_ = false;
  int32_t indicatorTick_ = 0;
  uint32_t lastTimerTick_ = 0;
  bool information_ = false;
  // Frames per second: frames drawn in the last whole second.
  double secondStart_ = 0;
  int32_t framesThisSecond_ = 0;
  int32_t framesPerSecond_ = 0;
  platform::Image client_;  // the picture of the whole client area, reused
};

}  // namespace zunka
