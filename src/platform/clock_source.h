#pragma once
#include <cstdint>

namespace zunka::platform {

// Time as the frame loop and the loading window see it. The real clock reads the
// host's monotonic counters; the headless player uses a virtual one so that runs
// are the same on every machine.
class ClockSource {
 public:
  virtual ~ClockSource() = default;
  // High-resolution milliseconds, for frame boundaries.
  virtual double milliseconds() const = 0;
  // A millisecond tick counter that wraps at 32 bits.
  virtual uint32_t tickCount() const = 0;
  // Gives up the processor for `ms` milliseconds (0: the rest of the time slice).
  virtual void sleep(uint32_t ms) = 0;
};

}  // namespace zunka::platform
