#pragma once
#include <algorithm>

#include "platform/host_window.h"

namespace zunka::platform {

// A window that is never shown: always active (nothing else can take the focus),
// with the size, position and cursor the real one would have, so that everything
// the player does with its window works the same without a display.
class HeadlessWindow : public HostWindow {
 public:
  HeadlessWindow(int32_t width, int32_t height) : width_(width), height_(height) {}
  bool isActive() const override { return true; }
  int32_t clientWidth() const override { return width_; }
  int32_t clientHeight() const override { return height_; }
  void setTitle(std::string_view) override {}
  void paintBlank() override {}
  void showLoadingBar(int32_t, uint32_t) override {}
  void hideLoadingBar() override {}
  void present(const Image&) override { ++presented_; }
  void setClientSize(int32_t width, int32_t height) override {
    width_ = std::max(width, 1);
    height_ = std::max(height, 1);
  }
  void setResizable(bool) override {}
  void position(int32_t& x, int32_t& y) const override { x = x_, y = y_; }
  void setPosition(int32_t x, int32_t y) override { x_ = x, y_ = y; }
  void displaySize(int32_t& width, int32_t& height) const override {
    width = displayWidth_, height = displayHeight_;
  }
  int32_t scale() const override { return scale_; }
  void setScale(int32_t scale) override { scale_ = std::clamp(scale, 1, 4); }
  bool fullScreen() const override { return fullScreen_; }
  void setFullScreen(bool on) override { fullScreen_ = on; }
  void cursorPosition(int32_t& x, int32_t& y) const override { x = cursorX_, y = cursorY_; }
  void moveCursor(int32_t x, int32_t y) override { cursorX_ = x, cursorY_ = y; }
  void showCursor(bool) override {}
  void takeTextInput(bool) override {}
  std::string clipboardText() const override { return clipboard_; }
  void setClipboardText(std::string text) { clipboard_ = std::move(text); }  // for tests

  // For tests: the display the window pretends to be on, and frames shown so far.
  void setDisplaySize(int32_t width, int32_t height) {
    displayWidth_ = width, displayHeight_ = height;
  }
  int64_t presented() const { return presented_; }

 private:
  int32_t width_;
  int32_t height_;
  int32_t x_ = 0, y_ = 0;
  int32_t displayWidth_ = 1024, displayHeight_ = 768;
  int32_t scale_ = 1;
  bool fullScreen_ = false;
  int32_t cursorX_ = 0, cursorY_ = 0;
  int64_t presented_ = 0;
  std::string clipboard_;
};

}  // namespace zunka::platform
