#include "platform/system_clock.h"

#include <sched.h>

#include "platform/clock.h"

namespace zunka::platform {

double SystemClock::milliseconds() const {
  return preciseMilliseconds();
}

uint32_t SystemClock::tickCount() const {
  return platform::tickCount();
}

void SystemClock::sleep(uint32_t ms) {
  // A zero sleep yields the rest of the time slice, as the frame loop expects
  // between frame boundaries.
  if (ms == 0)
    sched_yield();
  else
    sleepMilliseconds(ms);
}

}  // namespace zunka::platform
