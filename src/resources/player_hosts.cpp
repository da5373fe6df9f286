#include "resources/player_hosts.h"

#include "platform/clock.h"
#include "platform/stream_output.h"
#include "vm/runtime.h"

namespace zunka {
namespace {

bool pauseInDebugger() {
  return playerHosts().debugger().pause();
}

}  // namespace

void PlayerHosts::setDebugger(DebuggerHost* host) {
  debugger_ = host;
  vm::runtime().pauseRoutine = host ? &pauseInDebugger : nullptr;
}

}  // namespace zunka

namespace zunka {

void PrintedAddresses::open(const std::string& address) {
  platform::StreamOutput::standardOutput().writeLine("open " + address);
}

double PrintedAddresses::minutes() const {
  return platform::preciseMilliseconds() / 60000.0;
}

}  // namespace zunka
