#include "shell/loading_window.h"

namespace zunka {

void LoadingWindow::show(uint32_t now) {
  visible_ = true;
  timerEnabled_ = true;
  shownAt_ = now;
  lastTick_ = now;
}

void LoadingWindow::tick(uint32_t now) {
  if (!timerEnabled_ || state_.closing) return;
  uint32_t elapsed = now - shownAt_;
  if (!headless_ && elapsed < kBarDuration) {
    int64_t width = static_cast<int64_t>(elapsed) * view_.clientWidth() / kBarDuration;
    view_.showLoadingBar(static_cast<int32_t>(width), kBarColour);
    return;
  }
  if (state_.booted) finish();
}

void LoadingWindow::tickIfDue(uint32_t now) {
  // Headless, nothing is watching the bar: every call is a tick.
  if (!timerEnabled_ || (!headless_ && now - lastTick_ < kTimerInterval)) return;
  lastTick_ = now;
  tick(now);
}

void LoadingWindow::finish() {
  state_.checkExec = true;
  timerEnabled_ = false;
  visible_ = false;
  if (!headless_) view_.hideLoadingBar();
}

}  // namespace zunka
