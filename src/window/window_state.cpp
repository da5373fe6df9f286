#include "window/window_state.h"

#include "platform/current_slot.h"

namespace zunka {
namespace {
platform::CurrentSlot<WindowState> current;
}  // namespace

WindowState& windowState() {
  return current.get();
}
WindowState* setWindowState(WindowState* state) {
  return current.set(state);
}

}  // namespace zunka
