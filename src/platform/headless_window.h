#pragma once
#include "platform/host_window.h"

namespace zunka::platform {

// A window that is never shown: always active (nothing else can take the focus),
// with the size the real one would have.
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

 private:
  int32_t width_;
  int32_t height_;
};

}  // namespace zunka::platform
