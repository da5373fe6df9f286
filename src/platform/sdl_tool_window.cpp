#include "platform/sdl_tool_window.h"

#include <algorithm>
#include <cmath>

#include "platform/sdl_event_loop.h"
#include "platform/sjis_text.h"

namespace zunka::platform {
namespace {

// Room left for the desktop's panels and the window's frame.
constexpr int kDesktopMargin = 64;

}  // namespace

std::unique_ptr<SdlToolWindow> SdlToolWindow::create(SdlEventLoop& loop, std::string_view sjisTitle,
                                                     int32_t width, int32_t height) {
  SDL_Rect usable;
  if (SDL_GetDisplayUsableBounds(0, &usable) == 0) {
    width = std::min(width, std::max(usable.w - kDesktopMargin, 320));
    height = std::min(height, std::max(usable.h - kDesktopMargin, 240));
  }
  SDL_Window* window = SDL_CreateWindow(sjisToUtf8(sjisTitle).c_str(), SDL_WINDOWPOS_CENTERED,
                                        SDL_WINDOWPOS_CENTERED, width, height,
                                        SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
  if (!window) return nullptr;
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, 0);
  if (!renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
  if (!renderer) {
    SDL_DestroyWindow(window);
    return nullptr;
  }
  return std::unique_ptr<SdlToolWindow>(new SdlToolWindow(loop, window, renderer, width, height));
}

SdlToolWindow::SdlToolWindow(SdlEventLoop& loop, SDL_Window* window, SDL_Renderer* renderer,
                             int32_t width, int32_t height)
    : loop_(loop), window_(window), renderer_(renderer), width_(width), height_(height) {
  loop_.addToolWindow(this);
}

SdlToolWindow::~SdlToolWindow() {
  loop_.removeToolWindow(this);
  if (texture_) SDL_DestroyTexture(texture_);
  SDL_DestroyRenderer(renderer_);
  SDL_DestroyWindow(window_);
}

void SdlToolWindow::setTitle(std::string_view sjisTitle) {
  SDL_SetWindowTitle(window_, sjisToUtf8(sjisTitle).c_str());
}

void SdlToolWindow::show() {
  SDL_ShowWindow(window_);
  SDL_RaiseWindow(window_);
}

void SdlToolWindow::hide() {
  SDL_HideWindow(window_);
}

bool SdlToolWindow::visible() const {
  return (SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN) != 0;
}

void SdlToolWindow::present(const Image& client) {
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
  paint();
}

void SdlToolWindow::paint() {
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  if (texture_) {
    SDL_Rect to{0, 0, textureWidth_, textureHeight_};
    SDL_RenderCopy(renderer_, texture_, nullptr, &to);
  }
  SDL_RenderPresent(renderer_);
}

void SdlToolWindow::deliver(const InputEvent& event) {
  if (event.kind == InputEvent::Kind::Resized) width_ = event.x, height_ = event.y;
  if (event.kind == InputEvent::Kind::Exposed) paint();
  if (sink_) sink_->deliver(event);
}

void SdlToolWindow::takeTextInput(bool on) {
  if (on)
    SDL_StartTextInput();
  else
    SDL_StopTextInput();
}

std::string SdlToolWindow::clipboardText() const {
  char* text = SDL_GetClipboardText();
  std::string copy = text ? text : "";
  SDL_free(text);
  return copy;
}

int32_t SdlToolWindow::pixelScale() const {
  float dpi = 0;
  int display = SDL_GetWindowDisplayIndex(window_);
  if (SDL_GetDisplayDPI(display < 0 ? 0 : display, nullptr, &dpi, nullptr) != 0 || dpi <= 0)
    return 1;
  return std::clamp(int32_t(std::lround(dpi / 96.0f)), 1, 3);
}

}  // namespace zunka::platform
