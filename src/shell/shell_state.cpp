#include "shell/shell_state.h"

namespace zunka {
namespace {
ShellState* current = nullptr;
}  // namespace

ShellState& shellState() {
  return *current;
}

ShellState* setShellState(ShellState* state) {
  ShellState* previous = current;
  current = state;
  return previous;
}

HostState& hostState() {
  return current->host;
}

}  // namespace zunka
