#pragma once
#include <SDL.h>

#include <memory>
#include <string>

#include "platform/tool_window.h"

namespace zunka::platform {

class SdlEventLoop;

// A tool window through SDL: its own renderer and one streaming texture, shown
// one to one. The event loop hands it the events that carry its window id.
class SdlToolWindow : public ToolWindow {
 public:
  // Nothing when SDL cannot make the window.
  static std::unique_ptr<SdlToolWindow> create(SdlEventLoop& loop, std::string_view sjisTitle,
                                               int32_t width, int32_t height);
  ~SdlToolWindow() override;
  SdlToolWindow(const SdlToolWindow&) = delete;
  SdlToolWindow& operator=(const SdlToolWindow&) = delete;

  void setTitle(std::string_view sjisTitle) override;
  void show() override;
  void hide() override;
  bool visible() const override;
  int32_t clientWidth() const override { return width_; }
  int32_t clientHeight() const override { return height_; }
  void present(const Image& client) override;
  void setInputSink(InputSink* sink) override { sink_ = sink; }
  void takeTextInput(bool on) override;
  std::string clipboardText() const override;
  int32_t pixelScale() const override;

  // Called by the event loop.
  uint32_t id() const { return SDL_GetWindowID(window_); }
  void deliver(const InputEvent& event);

 private:
  SdlToolWindow(SdlEventLoop& loop, SDL_Window* window, SDL_Renderer* renderer, int32_t width,
                int32_t height);
  void paint();

  SdlEventLoop& loop_;
  SDL_Window* window_;
  SDL_Renderer* renderer_;
  SDL_Texture* texture_ = nullptr;
  int32_t textureWidth_ = 0, textureHeight_ = 0;
  int32_t width_, height_;
  InputSink* sink_ = nullptr;
};

}  // namespace zunka::platform
