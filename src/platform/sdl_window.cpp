#include "platform/sdl_window.h"

#include <algorithm>
#include <string>

#include "platform/sjis_text.h"

namespace zunka::platform {
namespace {

constexpr int kLoadingBarHeight = 4;

}  // namespace

std::unique_ptr<SdlWindow> SdlWindow::create(int32_t width, int32_t height, bool coverDisplay,
                                             std::string& error) {
  if (coverDisplay) {
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0) width = mode.w, height = mode.h;
  }
  Uint32 flags = SDL_WINDOW_SHOWN | (coverDisplay ? SDL_WINDOW_BORDERLESS : 0);
  SDL_Window* window =
      SDL_CreateWindow("Zunka System", coverDisplay ? 0 : SDL_WINDOWPOS_CENTERED,
                       coverDisplay ? 0 : SDL_WINDOWPOS_CENTERED, width, height, flags);
  if (!window) {
    error = SDL_GetError();
    return nullptr;
  }
  // Nearest sampling: enlarged pixel art stays crisp.
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_PRESENTVSYNC);
  if (!renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
  if (!renderer) {
    error = SDL_GetError();
    SDL_DestroyWindow(window);
    return nullptr;
  }
  auto created = std::unique_ptr<SdlWindow>(new SdlWindow(window, renderer, width, height));
  created->coversDisplay_ = coverDisplay;
  if (coverDisplay) SDL_RaiseWindow(window);
  // Typed text matters only to an open dialog, which asks for it.
  SDL_StopTextInput();
  return created;
}

SdlWindow::SdlWindow(SDL_Window* window, SDL_Renderer* renderer, int32_t width, int32_t height)
    : window_(window), renderer_(renderer), width_(width), height_(height) {
  fitRenderer();
}

SdlWindow::~SdlWindow() {
  if (texture_) SDL_DestroyTexture(texture_);
  SDL_DestroyRenderer(renderer_);
  SDL_DestroyWindow(window_);
}

void SdlWindow::fitRenderer() {
  SDL_RenderSetLogicalSize(renderer_, width_, height_);
  // Whole multiples in a window; on the full screen the largest picture that fits.
  SDL_RenderSetIntegerScale(renderer_, fullScreen_ ? SDL_FALSE : SDL_TRUE);
}

void SdlWindow::applyWindowSize() {
  if (!fullScreen_ && !coversDisplay_)
    SDL_SetWindowSize(window_, width_ * scale_, height_ * scale_);
  fitRenderer();
}

void SdlWindow::setTitle(std::string_view sjisTitle) {
  SDL_SetWindowTitle(window_, sjisToUtf8(sjisTitle).c_str());
}

void SdlWindow::paintBlank() {
  blank_ = true;
  paint();
}

void SdlWindow::showLoadingBar(int32_t width, uint32_t colour) {
  barWidth_ = std::max(width, 0);
  barColour_ = colour;
  paint();
}

void SdlWindow::hideLoadingBar() {
  barWidth_ = 0;
  paint();
}

void SdlWindow::present(const Image& client) {
  if (client.width <= 0 || client.height <= 0) return;
  if (!texture_ || textureWidth_ != client.width || textureHeight_ != client.height) {
    if (texture_) SDL_DestroyTexture(texture_);
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                 client.width, client.height);
    textureWidth_ = client.width;
    textureHeight_ = client.height;
  }
  if (!texture_) return;
  SDL_UpdateTexture(texture_, nullptr, client.pixels.data(), client.width * 4);
  blank_ = false;
  paint();
}

void SdlWindow::paint() {
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  if (blank_ || !texture_) {
    SDL_SetRenderDrawColor(renderer_, 255, 255, 255, 255);
    SDL_Rect all{0, 0, width_, height_};
    SDL_RenderFillRect(renderer_, &all);
    if (barWidth_ > 0) {
      // Colours arrive as 00BBGGRR, red in the low byte.
      SDL_SetRenderDrawColor(renderer_, barColour_ & 0xFF, barColour_ >> 8 & 0xFF,
                             barColour_ >> 16 & 0xFF, 255);
      SDL_Rect bar{0, height_ - kLoadingBarHeight, std::min(barWidth_, width_), kLoadingBarHeight};
      SDL_RenderFillRect(renderer_, &bar);
    }
  } else {
    SDL_Rect to{0, 0, textureWidth_, textureHeight_};
    SDL_RenderCopy(renderer_, texture_, nullptr, &to);
  }
  SDL_RenderPresent(renderer_);
}

void SdlWindow::setClientSize(int32_t width, int32_t height) {
  width_ = std::clamp(width, 1, 16384);
  height_ = std::clamp(height, 1, 16384);
  applyWindowSize();
}

bool SdlWindow::resizedByUser(int32_t pixelWidth, int32_t pixelHeight, int32_t& width,
                              int32_t& height) {
  if (fullScreen_ || coversDisplay_) return false;
  if (pixelWidth == width_ * scale_ && pixelHeight == height_ * scale_) return false;
  width = width_ = std::max(pixelWidth / scale_, 1);
  height = height_ = std::max(pixelHeight / scale_, 1);
  fitRenderer();
  return true;
}

void SdlWindow::setResizable(bool resizable) {
  SDL_SetWindowResizable(window_, resizable ? SDL_TRUE : SDL_FALSE);
}

void SdlWindow::position(int32_t& x, int32_t& y) const {
  int wx = 0, wy = 0;
  SDL_GetWindowPosition(window_, &wx, &wy);
  x = wx, y = wy;
}

void SdlWindow::setPosition(int32_t x, int32_t y) {
  SDL_SetWindowPosition(window_, x, y);
}

void SdlWindow::displaySize(int32_t& width, int32_t& height) const {
  SDL_DisplayMode mode;
  int index = SDL_GetWindowDisplayIndex(window_);
  if (SDL_GetDesktopDisplayMode(index < 0 ? 0 : index, &mode) != 0) {
    width = width_, height = height_;
    return;
  }
  width = mode.w, height = mode.h;
}

void SdlWindow::setScale(int32_t scale) {
  scale_ = std::clamp(scale, 1, 4);
  applyWindowSize();
}

void SdlWindow::setFullScreen(bool on) {
  if (coversDisplay_) return;
  fullScreen_ = on;
  SDL_SetWindowFullscreen(window_, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  applyWindowSize();
  paint();
}

void SdlWindow::cursorPosition(int32_t& x, int32_t& y) const {
  int wx = 0, wy = 0;
  SDL_GetMouseState(&wx, &wy);
  float lx = 0, ly = 0;
  SDL_RenderWindowToLogical(renderer_, wx, wy, &lx, &ly);
  x = int32_t(lx), y = int32_t(ly);
}

void SdlWindow::moveCursor(int32_t x, int32_t y) {
  int wx = 0, wy = 0;
  SDL_RenderLogicalToWindow(renderer_, float(x), float(y), &wx, &wy);
  SDL_WarpMouseInWindow(window_, wx, wy);
}

void SdlWindow::showCursor(bool shown) {
  SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE);
}

void SdlWindow::takeTextInput(bool on) {
  if (on)
    SDL_StartTextInput();
  else
    SDL_StopTextInput();
}

std::string SdlWindow::clipboardText() const {
  char* text = SDL_GetClipboardText();
  std::string copy = text ? text : "";
  SDL_free(text);
  return copy;
}

}  // namespace zunka::platform
