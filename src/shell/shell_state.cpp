#include "shell/shell_state.h"

#include "platform/current_slot.h"

namespace zunka {
namespace {
platform::CurrentSlot<ShellState> current;
}  // namespace

ShellState& shellState() {
  return current.get();
}
ShellState* setShellState(ShellState* state) {
  return current.set(state);
}

HostState& hostState() {
  return current.get().host;
}

}  // namespace zunka
