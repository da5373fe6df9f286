#include "window/screen_window.h"

#include <algorithm>
#include <string>

#include "debug/time_analyzer.h"
#include "platform/compositor.h"
#include "resources/environment_store.h"
#include "resources/page_hash.h"
#include "resources/project_manager.h"
#include "resources/project_state.h"
#include "resources/snippet_service.h"
#include "screen/raster.h"
#include "window/window_state.h"

namespace zunka {
namespace {

constexpr int kSectionPresent = 49;
constexpr int kSectionFullScreen = 50;
// No script may make the window (and so every picture of it) larger than this.
constexpr int32_t kLargestClientSide = 4096;
// Before boot has finished the centred picture is taken to be this large.
constexpr int32_t kBootScreenWidth = 800;
constexpr int32_t kBootScreenHeight = 600;
constexpr uint32_t kTimerInterval = 200;
constexpr uint32_t kIndicatorOdd = 1179409;  // 00BBGGRR
constexpr uint32_t kIndicatorEven = 4352;
constexpr uint32_t kStatusBarPixel = 0xFFF0F0F0u;
constexpr uint32_t kStatusBarLine = 0xFFA0A0A0u;
constexpr int32_t kStatusPanelWidth = 50;

int32_t globalInt(const char* name, int32_t fallback) {
  const vm::TValue* cell = ExistingGlobalCell(name);
  if (!cell || (cell->kind != vm::vtInt && cell->kind != vm::vtFloat)) return fallback;
  return vm::toInt(*cell);
}

void setGlobalInt(const char* name, int32_t value) {
  if (vm::TValue* cell = ExistingGlobalCell(name)) vm::setInt(*cell, value);
}

int32_t clientSide(int32_t side) {
  return std::clamp(side, 1, kLargestClientSide);
}

}  // namespace

ScreenWindow::ScreenWindow(platform::HostWindow& window, HostState& host, bool coverDisplay)
    : window_(window), host_(host), coverDisplay_(coverDisplay) {
  if (coverDisplay_) {
    statusBar_ = false;
  } else {
    window_.setResizable(true);
    // The status bar as the user left it, keeping the game area's height.
    if (environmentStore().GetEnv("statusBar") == "0") {
      statusBar_ = false;
      resizeWindow(window_.clientWidth(), window_.clientHeight() - kStatusBarHeight);
    }
  }
  fitSurface();
}

int32_t ScreenWindow::gameHeight() const {
  int32_t h = window_.clientHeight() - (statusBar_ ? kStatusBarHeight : 0);
  return std::max(h, 1);
}

void ScreenWindow::resizeWindow(int32_t width, int32_t height) {
  if (coverDisplay_) return;
  settingOwnSize_ = true;
  window_.setClientSize(clientSide(width), clientSide(height));
  settingOwnSize_ = false;
}

void ScreenWindow::setGameHeight(int32_t height) {
  resizeWindow(window_.clientWidth(), clientSide(height) + (statusBar_ ? kStatusBarHeight : 0));
}

void ScreenWindow::setClientWidth(int32_t width) {
  resizeWindow(width, window_.clientHeight());
}

void ScreenWindow::setStatusBarVisible(bool visible) {
  if (coverDisplay_ || visible == statusBar_) return;
  int32_t game = gameHeight();
  statusBar_ = visible;
  setGameHeight(game);
  environmentStore().SetEnv("statusBar", visible ? "1" : "0");
}

void ScreenWindow::userResized() {
  if (settingOwnSize_ || host_.closing || coverDisplay_ || !host_.booted) return;
  if (resizable_) {
    setGlobalInt("$ScreenWidth", window_.clientWidth());
    setGlobalInt("$ScreenHeight", gameHeight());
  } else {
    // A running page keeps the size its script chose.
    int32_t width = globalInt("$ScreenWidth", window_.clientWidth());
    int32_t height = globalInt("$ScreenHeight", gameHeight());
    if (width != window_.clientWidth()) setClientWidth(width);
    if (height != gameHeight()) setGameHeight(height);
  }
  if (projectState().designMode) {
    drawAll();
    present();
  }
}

void ScreenWindow::moved(int32_t x, int32_t y) {
  if (!host_.booted) return;
  setGlobalInt("$windowX", x);
  setGlobalInt("$windowY", y);
}

void ScreenWindow::paint() {
  host_.drawingSuspended = false;
  if (host_.booted && globalInt("$_seamLessLoad", 0) != 0) return;
  drawAll();
  present();
}

void ScreenWindow::timerTick(uint32_t now) {
  if (now - lastTimerTick_ < kTimerInterval) return;
  lastTimerTick_ = now;
  if (!projectState().noPageRunning) return;
  drawAll();
  present();
}

void ScreenWindow::setSize(int32_t width, int32_t height, bool resizable) {
  resizable_ = resizable;
  if (width != window_.clientWidth()) setClientWidth(width);
  if (height != gameHeight()) setGameHeight(height);
}

void ScreenWindow::setPos(int32_t x, int32_t y) {
  int32_t left = 0, top = 0;
  window_.position(left, top);
  if (x != left || y != top) window_.setPosition(x, y);
}

bool ScreenWindow::setDrawMode(int32_t mode) {
  if (mode < 1 || mode > 3) return false;
  drawMode_ = DrawMode(mode);
  return true;
}

void ScreenWindow::pageLoading() {
  activityIndicator(true);
}

void ScreenWindow::pageStarted() {
  indicatorOn_ = false;
}

void ScreenWindow::designModeChanged(bool design) {
  resizable_ = design;
  if (design) indicatorOn_ = false;
}

void ScreenWindow::updateOffsets() {
  if (!coverDisplay_) return;
  TimeSection section(kSectionFullScreen);
  int32_t width = host_.booted ? globalInt("$screenWidth", kBootScreenWidth) : kBootScreenWidth;
  int32_t height = host_.booted ? globalInt("$screenHeight", kBootScreenHeight) : kBootScreenHeight;
  pictureWidth_ = std::clamp(width, 1, kLargestClientSide);
  pictureHeight_ = std::clamp(height, 1, kLargestClientSide);
  offsetX_ = (window_.clientWidth() - pictureWidth_) / 2;
  offsetY_ = (window_.clientHeight() - pictureHeight_) / 2;
}

// The game area: the client area above the status bar, or on the covered display
// the centred picture.
void ScreenWindow::fitSurface() {
  int32_t width = coverDisplay_ ? pictureWidth_ : window_.clientWidth();
  int32_t height = coverDisplay_ ? pictureHeight_ : gameHeight();
  width = clientSide(width);
  height = clientSide(height);
  screenState().resizePicture(width, height);
}

void ScreenWindow::drawAll() {
  updateOffsets();
  fitSurface();
  pictures_.drawAll();
}

uint32_t ScreenWindow::backgroundPixel() const {
  if (!host_.booted || projectState().noPageRunning) return 0xFFFFFFFFu;
  return raster::fromScriptColour(globalInt("$bgcolor", 0xFFFFFF));
}

void ScreenWindow::present() {
  TimeSection section(kSectionPresent);
  composeClient();
  window_.present(client_);
}

void ScreenWindow::composeClient() {
  const platform::Image& game = screenState().picture();
  int32_t width = window_.clientWidth(), height = window_.clientHeight();
  if (client_.width != width || client_.height != height) {
    client_.width = width;
    client_.height = height;
    client_.pixels.assign(size_t(width) * size_t(height), 0xFF000000u);
  }
  if (coverDisplay_) raster::fill(client_, {0, 0, width, height}, backgroundPixel());
  int32_t left = coverDisplay_ ? offsetX_ : 0, top = coverDisplay_ ? offsetY_ : 0;
  raster::copy(client_, left, top, game);
  windowState().dialogs.draw(client_, left, top, screenState().text, game.width, game.height);
  if (statusBar_) drawStatusBar();
  if (information_) drawInformation();
}

platform::Image ScreenWindow::gamePicture() const {
  platform::Image picture = screenState().picture();
  windowState().dialogs.draw(picture, 0, 0, screenState().text, picture.width, picture.height);
  return picture;
}

void ScreenWindow::noteDrawnFrame(double milliseconds) {
  ++framesThisSecond_;
  if (milliseconds - secondStart_ < 1000) return;
  framesPerSecond_ = framesThisSecond_;
  framesThisSecond_ = 0;
  secondStart_ = milliseconds;
}

std::string ScreenWindow::statusPanel(int panel) const {
  switch (panel) {
    case 0:
      return std::to_string(framesPerSecond_) + " fps";
    case 1:
      return prjManager().currentPageName();
    default:
      return host_.paused ? "一時停止" : "";
  }
}

void ScreenWindow::drawStatusBar() {
  int32_t top = client_.height - kStatusBarHeight;
  raster::fill(client_, {0, top, client_.width, client_.height}, kStatusBarPixel);
  raster::fill(client_, {0, top, client_.width, top + 1}, kStatusBarLine);
  platform::CompositeTarget target(client_);
  platform::TextRenderer& text = screenState().text;
  // Three panels: frames per second, the page, the pause.
  int32_t lefts[3] = {4, kStatusPanelWidth + 4, client_.width - 2 * kStatusPanelWidth};
  for (int panel = 0; panel < 3; ++panel) {
    if (panel > 0)
      raster::fill(client_, {lefts[panel] - 4, top + 2, lefts[panel] - 3, client_.height - 2},
                   kStatusBarLine);
    text.draw(target, lefts[panel], top + 3, "", 9, {}, 0x000000, statusPanel(panel));
  }
}

void ScreenWindow::drawInformation() {
  TPrjManager& project = prjManager();
  std::string lines[] = {
      "アプリケーション情報",
      "タイトル: " + project.GetParam("title"),
      "バージョン: " + project.GetParam("version"),
      "製作者名: " + project.GetParam("author"),
      "メールアドレス: " + project.GetParam("mail"),
      "Webページアドレス: " + project.GetParam("web"),
      "配布条件: " + project.GetParam("cond"),
      "アプリケーションID: " + std::to_string(project.pageHash()),
      "Zunka-kernel-ID : " + std::to_string(KernelId()),
      "このプログラムはZunka System ver 1.21で作成されています",
      "F1 ヘルプ  F2 この情報  F3 一時停止  F4 拡大  F5 サウンド  F6 ステータスバー",
      "F7 描画方法  F12 画面を保存  Alt+Enter 全画面",
  };
  int32_t width = std::min(client_.width - 16, 540), height = 16 * 12 + 16;
  raster::Rect box{8, 8, 8 + width, 8 + height};
  for (int32_t y = box.top; y < std::min(box.bottom, client_.height); ++y)
    for (int32_t x = box.left; x < std::min(box.right, client_.width); ++x) {
      uint32_t& p = client_.pixels[size_t(y) * size_t(client_.width) + size_t(x)];
      p = 0xFF000000u | ((p >> 2) & 0x3F3F3F);  // darkened to a quarter
    }
  platform::CompositeTarget target(client_);
  int32_t y = box.top + 8;
  for (const std::string& line : lines) {
    screenState().text.draw(target, box.left + 8, y, "", 10, {}, 0xFFFFFF, line);
    y += 16;
  }
}

void ScreenWindow::activityIndicator(bool force) {
  if (!force && !indicatorOn_) return;
  indicatorOn_ = true;
  if (++indicatorTick_ > 1000) indicatorTick_ %= 8;
  int32_t right = window_.clientWidth(), bottom = window_.clientHeight();
  raster::fill(
      screenState().picture(), {right - 24, bottom - 16, right - 8, bottom - 8},
      raster::fromScriptColour(int32_t(indicatorTick_ % 2 ? kIndicatorOdd : kIndicatorEven)));
  // A script that writes many console lines is not slowed by a picture per line.
  if (force || indicatorTick_ % 16 == 0) present();
}

}  // namespace zunka
