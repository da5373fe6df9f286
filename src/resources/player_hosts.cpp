#include "resources/player_hosts.h"

#include "vm/runtime.h"

namespace zunka {
namespace {

void pauseInDebugger() {
  playerHosts().debugger().pause();
}

}  // namespace

void PlayerHosts::setDebugger(DebuggerHost* host) {
  debugger_ = host;
  vm::runtime().pauseRoutine = host ? &pauseInDebugger : nullptr;
}

}  // namespace zunka
