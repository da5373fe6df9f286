#include "platform/virtual_clock.h"

#include <cmath>

namespace zunka::platform {

uint32_t VirtualClock::tickCount() const {
  // Wraps like the host's 32-bit tick counter.
  return static_cast<uint32_t>(static_cast<uint64_t>(std::floor(now_)));
}

void VirtualClock::sleep(uint32_t ms) {
  slept_ += ms;
  ++sleepCalls_;
}

}  // namespace zunka::platform
