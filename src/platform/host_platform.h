#pragma once
#include <functional>
#include <memory>

#include "platform/audio_device.h"
#include "platform/clock_source.h"
#include "platform/gamepads.h"
#include "platform/host_window.h"
#include "platform/idle_loop.h"
#include "platform/input_event.h"
#include "platform/message_boxes.h"
#include "platform/message_pump.h"
#include "platform/tool_window.h"

namespace zunka::platform {

// Everything the frame loop and start-up ask of the host, in one bundle: a real
// window (SDL) or none at all (headless).
class HostPlatform {
 public:
  virtual ~HostPlatform() = default;
  virtual bool headless() const = 0;
  virtual bool soundAvailable() const = 0;
  virtual ClockSource& clock() = 0;
  virtual IdleLoop& idleLoop() = 0;
  virtual MessagePump& messagePump() = 0;
  virtual MessageBoxes& messageBoxes() = 0;
  virtual HostWindow& window() = 0;
  virtual Gamepads& gamepads() = 0;
  // The sound card; headless, one that plays in the virtual clock's time.
  virtual AudioDevice& audio() = 0;
  // Where what the user does goes (nothing happens to it without a sink).
  virtual void setInputSink(InputSink* sink) = 0;
  // A second window of `width` × `height` client pixels (at most the display's
  // usable area), made hidden; nothing when there is no display. Its events
  // arrive through the same message pump as the player's window's.
  virtual std::unique_ptr<ToolWindow> openToolWindow(std::string_view sjisTitle, int32_t width,
                                                     int32_t height) = 0;
};

struct PlatformOptions {
  bool headless = false;
  bool fullScreen = false;  // a borderless window covering the display
  int32_t width = 560;
  int32_t height = 400;
  // The frame interval now in force, in milliseconds: the headless clock moves by
  // one interval per idle call so that every call finds exactly one frame due.
  std::function<int32_t()> frameInterval;
};

// Opens the windowed platform unless told otherwise. A window that cannot be
// opened is no reason to stop: the player notes it on standard error and runs
// headless instead.
std::unique_ptr<HostPlatform> openHostPlatform(const PlatformOptions& options);

}  // namespace zunka::platform
