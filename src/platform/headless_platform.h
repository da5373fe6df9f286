#pragma once
#include "platform/console_message_boxes.h"
#include "platform/headless_idle_loop.h"
#include "platform/headless_window.h"
#include "platform/host_platform.h"
#include "platform/virtual_audio_device.h"
#include "platform/virtual_clock.h"

namespace zunka::platform {

// No window, a sound card that plays in virtual time, a virtual clock: runs
// are deterministic.
class HeadlessPlatform : public HostPlatform {
 public:
  explicit HeadlessPlatform(const PlatformOptions& options);
  bool headless() const override { return true; }
  bool soundAvailable() const override { return false; }
  VirtualClock& clock() override { return clock_; }
  IdleLoop& idleLoop() override { return loop_; }
  MessagePump& messagePump() override { return loop_; }
  MessageBoxes& messageBoxes() override { return boxes_; }
  HeadlessWindow& window() override { return window_; }
  Gamepads& gamepads() override { return gamepads_; }
  AudioDevice& audio() override { return audio_; }
  void setInputSink(InputSink*) override {}  // no user: nothing ever happens
  std::unique_ptr<ToolWindow> openToolWindow(std::string_view, int32_t, int32_t) override {
    return nullptr;
  }

 private:
  VirtualClock clock_;
  HeadlessIdleLoop loop_;
  ConsoleMessageBoxes boxes_;
  HeadlessWindow window_;
  NoGamepads gamepads_;
  VirtualAudioDevice audio_{clock_};
};

}  // namespace zunka::platform
