#pragma once
#include <SDL.h>

#include <memory>
#include <string>

#include "platform/host_window.h"

namespace zunka::platform {

// The player's SDL window. Painting goes through the window's own surface, which
// needs no accelerated renderer (and works with SDL's dummy video driver).
class SdlWindow : public HostWindow {
 public:
  // Nothing when SDL cannot create the window; `error` then says why.
  static std::unique_ptr<SdlWindow> create(int32_t width, int32_t height, bool fullScreen,
                                           std::string& error);
  ~SdlWindow() override;
  SdlWindow(const SdlWindow&) = delete;
  SdlWindow& operator=(const SdlWindow&) = delete;

  bool isActive() const override { return active_; }
  int32_t clientWidth() const override;
  int32_t clientHeight() const override;
  void setTitle(std::string_view sjisTitle) override;
  void paintBlank() override { paint(); }
  void showLoadingBar(int32_t width, uint32_t colour) override;
  void hideLoadingBar() override;

  // Called by the event loop.
  void setActive(bool active) { active_ = active; }
  void paint();
  SDL_Window* handle() const { return window_; }

 private:
  explicit SdlWindow(SDL_Window* window) : window_(window) {}
  SDL_Window* window_;
  bool active_ = true;
  int32_t barWidth_ = 0;
  uint32_t barColour_ = 0;
};

}  // namespace zunka::platform
