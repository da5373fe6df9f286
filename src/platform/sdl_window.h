#pragma once
#include <SDL.h>

#include <memory>
#include <string>

#include "platform/host_window.h"

namespace zunka::platform {

// The player's SDL window. The client picture goes through an SDL renderer as one
// streaming texture, shown at a whole scale with nearest sampling (pixel art stays
// crisp), or letter-boxed on the full screen.
class SdlWindow : public HostWindow {
 public:
  // Nothing when SDL cannot create the window; `error` then says why. `coverDisplay`
  // makes a borderless window as large as the display, its client area that size.
  static std::unique_ptr<SdlWindow> create(int32_t width, int32_t height, bool coverDisplay,
                                           std::string& error);
  ~SdlWindow() override;
  SdlWindow(const SdlWindow&) = delete;
  SdlWindow& operator=(const SdlWindow&) = delete;

  bool isActive() const override { return active_; }
  int32_t clientWidth() const override { return width_; }
  int32_t clientHeight() const override { return height_; }
  void setTitle(std::string_view sjisTitle) override;
  void paintBlank() override;
  void showLoadingBar(int32_t width, uint32_t colour) override;
  void hideLoadingBar() override;
  void present(const Image& client) override;
  void setClientSize(int32_t width, int32_t height) override;
  void setResizable(bool resizable) override;
  void position(int32_t& x, int32_t& y) const override;
  void setPosition(int32_t x, int32_t y) override;
  void displaySize(int32_t& width, int32_t& height) const override;
  int32_t scale() const override { return scale_; }
  void setScale(int32_t scale) override;
  bool fullScreen() const override { return fullScreen_; }
  void setFullScreen(bool on) override;
  void cursorPosition(int32_t& x, int32_t& y) const override;
  void moveCursor(int32_t x, int32_t y) override;
  void showCursor(bool shown) override;
  void takeTextInput(bool on) override;
  std::string clipboardText() const override;

  // Called by the event loop.
  void setActive(bool active) { active_ = active; }
  // Shows the last picture again.
  void paint();
  // The user changed the window's size to `pixelWidth` × `pixelHeight`: gives
  // false when it is the size the window set itself, else the new client size.
  bool resizedByUser(int32_t pixelWidth, int32_t pixelHeight, int32_t& width, int32_t& height);
  SDL_Window* handle() const { return window_; }

 private:
  SdlWindow(SDL_Window* window, SDL_Renderer* renderer, int32_t width, int32_t height);
  void applyWindowSize();
  void fitRenderer();

  SDL_Window* window_;
  SDL_Renderer* renderer_;
  SDL_Texture* texture_ = nullptr;
  int32_t textureWidth_ = 0, textureHeight_ = 0;
  int32_t width_, height_;  // the client area in picture pixels
  int32_t scale_ = 1;
  bool fullScreen_ = false;
  bool coversDisplay_ = false;
  bool blank_ = true;  // nothing presented yet: white with the loading bar
  bool active_ = true;
  int32_t barWidth_ = 0;
  uint32_t barColour_ = 0;
};

}  // namespace zunka::platform
