#pragma once
#include <memory>
#include <string>

#include "platform/host_platform.h"
#include "platform/sdl_audio_device.h"
#include "platform/sdl_event_loop.h"
#include "platform/sdl_gamepads.h"
#include "platform/sdl_message_boxes.h"
#include "platform/sdl_window.h"
#include "platform/system_clock.h"

namespace zunka::platform {

// A real window through SDL2, the host's clocks, and SDL's audio subsystem when
// a sound device exists.
class SdlPlatform : public HostPlatform {
 public:
  // Nothing when SDL's video cannot start or the window cannot be created;
  // `error` then says why.
  static std::unique_ptr<SdlPlatform> open(const PlatformOptions& options, std::string& error);
  ~SdlPlatform() override;

  bool headless() const override { return false; }
  bool soundAvailable() const override { return sound_; }
  ClockSource& clock() override { return clock_; }
  IdleLoop& idleLoop() override { return loop_; }
  MessagePump& messagePump() override { return loop_; }
  MessageBoxes& messageBoxes() override { return boxes_; }
  HostWindow& window() override { return *window_; }
  Gamepads& gamepads() override { return gamepads_; }
  AudioDevice& audio() override { return *audio_; }
  void setInputSink(InputSink* sink) override { loop_.setInputSink(sink); }
  std::unique_ptr<ToolWindow> openToolWindow(std::string_view sjisTitle, int32_t width,
                                             int32_t height) override;

 private:
  SdlPlatform(std::unique_ptr<SdlWindow> window, bool sound);
  SystemClock clock_;
  std::unique_ptr<SdlWindow> window_;
  SdlEventLoop loop_;
  SdlMessageBoxes boxes_;
  SdlGamepads gamepads_;
  std::unique_ptr<SdlAudioDevice> audio_ = std::make_unique<SdlAudioDevice>();
  bool sound_;
};

}  // namespace zunka::platform
