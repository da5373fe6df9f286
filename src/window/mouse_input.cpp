#include "window/mouse_input.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "resources/project_state.h"
#include "resources/snippet_service.h"
#include "screen/screen_state.h"
#include "shell/frame_loop.h"

namespace zunka {
namespace {

// Moves more than this far apart in time do not make a drag step from the old place.
constexpr uint32_t kMoveMemoryMilliseconds = 1000;
// Design mode moves on an 8-pixel grid.
constexpr int32_t kGridMask = ~7;
// A right release this close to its press (across plus down) is a click.
constexpr int32_t kClickDistance = 8;

void setGlobalInt(const char* name, int32_t value) {
  if (vm::TValue* cell = ExistingGlobalCell(name)) vm::setInt(*cell, value);
}

std::string arguments(int32_t x, int32_t y, bool left, bool right) {
  return "(" + std::to_string(x) + "," + std::to_string(y) + "," + (left ? "1" : "0") + "," +
         (right ? "1" : "0") + ");";
}

void singleStep() {
  if (FrameLoop* loop = playerFrameLoop()) loop->singleStep();
}

}  // namespace

void MouseInput::down(int32_t x, int32_t y, bool right) {
  if (right) {
    right_ = true;
    pressX_ = x, pressY_ = y;
    rightDrag_ = true;
  } else {
    left_ = true;
  }
  ScreenState& screen = screenState();
  std::vector<vm::TValue> owners = screen.sprites.OwnersAt({x, y, x + 1, y + 1}, screen.patterns);
  std::string args = arguments(x, y, left_, right_);
  if (owners.empty()) {
    RunSnippet("$_tmp_cur_select=0;if ($_mouse_event) $_mouse_event.onDown " + args);
  } else if (ExistingGlobalCell("$_tmp_cur_select")) {
    // Held while the snippets run: one of them may empty the sprite list.
    for (vm::TValue& owner : owners) vm::retain(owner);
    for (vm::TValue& owner : owners) {
      if (vm::TValue* cell = ExistingGlobalCell("$_tmp_cur_select"))
        vm::setObject(*cell, owner.ref);
      RunSnippet("$_tmp_cur_select.mouseDown" + args);
    }
    for (vm::TValue& owner : owners) vm::release(owner);
  }
  if (projectState().designMode) singleStep();
}

void MouseInput::move(int32_t x, int32_t y) {
  if (projectState().noPageRunning || !host_.booted) return;
  uint32_t now = clock_.tickCount();
  int32_t gridX = x & kGridMask, gridY = y & kGridMask;
  if (now - lastTime_ > kMoveMemoryMilliseconds) lastX_ = x, lastY_ = y;
  bool design = projectState().designMode;
  if (design) {
    setGlobalInt("$mouseX", gridX);
    setGlobalInt("$mouseY", gridY);
    x = gridX, y = gridY;
  }
  if (!left_ && !right_) {
    pressX_ = x, pressY_ = y;
    rightDrag_ = false;
  } else {
    pressX_ = pressY_ = -10;
    if (x != lastX_ || y != lastY_) {
      if (!design) {
        setGlobalInt("$mouseX", x);
        setGlobalInt("$mouseY", y);
      }
      setGlobalInt("$mouseSX", lastX_);
      setGlobalInt("$mouseSY", lastY_);
      setGlobalInt("$leftButton", left_ ? 1 : 0);
      setGlobalInt("$rightButton", right_ ? 1 : 0);
      if (design) {
        singleStep();
        singleStep();
      } else if (FrameLoop* loop = playerFrameLoop()) {
        bool done = false;
        loop->Main(done);  // the drag is seen at once, not at the next frame
      }
    }
  }
  lastX_ = x, lastY_ = y;
  lastTime_ = now;
}

void MouseInput::up(int32_t x, int32_t y, bool right) {
  if (host_.booting) return;
  click_ = false;
  if (right) {
    right_ = false;
    click_ = !rightDrag_ || std::abs(x - pressX_) + std::abs(y - pressY_) <= kClickDistance;
  } else {
    left_ = false;
  }
  rightDrag_ = false;
  RunSnippet("if ($_tmp_cur_select) $_tmp_cur_select.inspect();");
  if (projectState().designMode) singleStep();
}

}  // namespace zunka
