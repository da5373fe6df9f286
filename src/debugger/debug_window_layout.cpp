// Where the debug window's parts lie, and how it is drawn: a toolbar along the
// top, the code with its source, stack and variables filling the upper part,
// the output and the resource tree below, and two rows of boxes at the bottom.
#include <algorithm>

#include "debugger/debug_window.h"

namespace zunka::debugger {

namespace {

constexpr uint32_t kBackground = 0xFFF4F4F4u;
constexpr uint32_t kStoppedInk = 0xC00000, kRunningInk = 0x006000, kInk = 0x000000;

}  // namespace

void DebugWindow::layout() {
  const int32_t s = scale_, m = 6 * s, row = lineHeight_ + 8 * s;
  const int32_t width = picture_.width, height = picture_.height;
  auto buttonWidth = [&](const std::string& caption) {
    return columnsOf(caption) * columnWidth_ + 16 * s;
  };
  auto button = [&](Control c) -> Button& {
    for (ControlButton& b : buttons_)
      if (b.control == c) return b.button;
    return buttons_.front().button;
  };
  // Lays controls out from left to right along a row.
  int32_t x = m, top = m;
  auto put = [&](Control c) {
    Button& b = button(c);
    b.box = {x, top, x + buttonWidth(b.caption), top + row};
    x = b.box.right + m / 2;
  };
  auto putEdit = [&](Edit e, int32_t columns) {
    LineEdit& l = edit(e);
    x += columnsOf(l.caption) * columnWidth_ + 4 * s;
    int32_t right = columns > 0 ? x + columns * columnWidth_ + 8 * s : x;
    l.box = {x, top, right, top + row};
    x = right + m / 2;
  };

  // The toolbar.
  put(Control::Step);
  put(Control::Run);
  put(Control::RunTo);
  putEdit(Edit::Address, 10);
  put(Control::Stop);
  x += m;
  autoRun_.box = {x, top, x + lineHeight_ + buttonWidth(autoRun_.caption), top + row};
  x = autoRun_.box.right + m;
  put(Control::Refresh);
  statusBox_ = {x + m, top, width - m, top + row};

  // The console row along the bottom, the breakpoint and tool row above it.
  top = height - m - row;
  x = m;
  putEdit(Edit::Console, 0);
  int32_t evaluateWidth = buttonWidth(button(Control::Evaluate).caption);
  edit(Edit::Console).box.right = std::max(width - 2 * m - evaluateWidth, x + 4 * columnWidth_);
  x = edit(Edit::Console).box.right + m / 2;
  put(Control::Evaluate);
  top -= m + row;
  x = m;
  putEdit(Edit::Breakpoint, 22);
  put(Control::SetBreak);
  put(Control::ClearBreak);
  x += m;
  putEdit(Edit::Class, 18);
  putEdit(Edit::Method, 12);
  put(Control::ShowCode);
  x += m;
  put(Control::Gc);
  put(Control::TimeStart);
  put(Control::TimeStop);
  put(Control::EvalCache);

  // The views between.
  int32_t viewsTop = m + row + m, viewsBottom = std::max(top - m, viewsTop + 4 * lineHeight_);
  int32_t split = viewsTop + (viewsBottom - viewsTop) * 62 / 100;
  int32_t middle = m + (width - 2 * m) * 55 / 100;
  auto place = [&](View v, raster::Rect r) { view(v).place(r, lineHeight_); };
  place(View::Code, {m, viewsTop, middle, split});
  int32_t sourceBottom = viewsTop + (split - viewsTop) * 45 / 100;
  int32_t right = middle + m / 2, half = right + (width - m - right) / 2;
  place(View::Source, {right, viewsTop, width - m, sourceBottom});
  place(View::Stack, {right, sourceBottom + m / 2, half - m / 4, split});
  place(View::Variables, {half + m / 4, sourceBottom + m / 2, width - m, split});
  place(View::Output, {m, split + m / 2, middle, viewsBottom});
  place(View::Tree, {right, split + m / 2, width - m, viewsBottom});
}

void DebugWindow::redraw() {
  int32_t width = std::max(window_->clientWidth(), 1),
          height = std::max(window_->clientHeight(), 1);
  if (picture_.width != width || picture_.height != height) {
    picture_.width = width;
    picture_.height = height;
    picture_.pixels.assign(size_t(width) * size_t(height), kBackground);
  }
  layout();
  std::fill(picture_.pixels.begin(), picture_.pixels.end(), kBackground);
  {
    Painter p(picture_, text_, scale_);
    for (const ControlButton& b : buttons_) b.button.draw(p);
    autoRun_.checked = debugger_.host().checkExec;
    autoRun_.draw(p);
    for (const LineEdit& e : edits_) e.draw(p);
    for (const ListView& v : views_) v.draw(p);
    drawStatus(p);
  }
  window_->present(picture_);
  dirty_ = false;
}

// Stopped or running, and the frame loop's own line: frames per call and the
// memory statistics, and whether the last run used its whole budget.
void DebugWindow::drawStatus(Painter& p) {
  const HostState& host = debugger_.host();
  bool stopped = debugger_.isStopped();
  std::string state = stopped ? debugger_.caption() : std::string("実行中");
  int32_t y = statusBox_.top + (statusBox_.bottom - statusBox_.top - lineHeight_) / 2;
  int32_t x = statusBox_.left;
  p.text(x, y, state, stopped ? kStoppedInk : kRunningInk, statusBox_.right - x);
  x += p.widthOf(state) + 2 * columnWidth_;
  std::string line = host.preemptedLabel + "  " + host.debugCaption;
  if (x < statusBox_.right) p.text(x, y, line, kInk, statusBox_.right - x);
}

}  // namespace zunka::debugger
