#include "platform/sdl_window.h"

#include <algorithm>
#include <string>

#include "platform/sjis_text.h"

namespace zunka::platform {
namespace {

constexpr int kLoadingBarHeight = 4;

Uint32 mapColour(const SDL_Surface* surface, uint32_t colour) {
  // Colours arrive as 00BBGGRR, red in the low byte.
  return SDL_MapRGB(surface->format, colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

}  // namespace

std::unique_ptr<SdlWindow> SdlWindow::create(int32_t width, int32_t height, bool fullScreen,
                                             std::string& error) {
  Uint32 flags = SDL_WINDOW_SHOWN | (fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  SDL_Window* window = SDL_CreateWindow("Zunka System", SDL_WINDOWPOS_CENTERED,
                                        SDL_WINDOWPOS_CENTERED, width, height, flags);
  if (!window) {
    error = SDL_GetError();
    return nullptr;
  }
  return std::unique_ptr<SdlWindow>(new SdlWindow(window));
}

SdlWindow::~SdlWindow() {
  SDL_DestroyWindow(window_);
}

int32_t SdlWindow::clientWidth() const {
  int w = 0, h = 0;
  SDL_GetWindowSize(window_, &w, &h);
  return w;
}

int32_t SdlWindow::clientHeight() const {
  int w = 0, h = 0;
  SDL_GetWindowSize(window_, &w, &h);
  return h;
}

void SdlWindow::setTitle(std::string_view sjisTitle) {
  SDL_SetWindowTitle(window_, sjisToUtf8(sjisTitle).c_str());
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

void SdlWindow::paint() {
  SDL_Surface* surface = SDL_GetWindowSurface(window_);
  if (!surface) return;  // minimised or lost: the next expose paints again
  SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 255, 255, 255));
  if (barWidth_ > 0) {
    SDL_Rect bar{0, surface->h - kLoadingBarHeight, std::min(barWidth_, surface->w),
                 kLoadingBarHeight};
    SDL_FillRect(surface, &bar, mapColour(surface, barColour_));
  }
  SDL_UpdateWindowSurface(window_);
}

}  // namespace zunka::platform
