#pragma once
#include <cstdint>
#include <string>

#include "platform/host_window.h"
#include "shell/host_state.h"

namespace zunka {

// The loading window's logic: shown at start-up (and again after a run-time
// error), it fills a progress bar for two seconds, then, once boot has finished,
// checks the auto-run box (which lets the frame loop run) and hides. Headless runs
// have no bar to watch: they check the box as soon as boot has finished.
class LoadingWindow {
 public:
  static constexpr uint32_t kTimerInterval = 100;   // ms between ticks
  static constexpr uint32_t kBarDuration = 2000;    // ms of the progress bar
  static constexpr uint32_t kBarColour = 13688995;  // 0xD0E0A3, 00BBGGRR

  LoadingWindow(HostState& state, platform::HostWindow& view, bool headless)
      : state_(state), view_(view), headless_(headless) {}

  // Shows the window now: the bar starts over and the timer runs.
  void show(uint32_t now);
  // One tick of the 100 ms timer.
  void tick(uint32_t now);
  // Called often (each idle call): ticks when the timer interval has passed.
  void tickIfDue(uint32_t now);

  void setCaption(std::string caption) { caption_ = std::move(caption); }
  const std::string& caption() const { return caption_; }
  bool visible() const { return visible_; }
  bool timerEnabled() const { return timerEnabled_; }

 private:
  void finish();

  HostState& state_;
  platform::HostWindow& view_;
  bool headless_;
  bool visible_ = false;
  bool timerEnabled_ = false;
  uint32_t shownAt_ = 0;
  uint32_t lastTick_ = 0;
  std::string caption_;
};

}  // namespace zunka
