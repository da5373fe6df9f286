#pragma once
#include "platform/clock_source.h"

namespace zunka::platform {

// The host's monotonic clock (see clock.h).
class SystemClock : public ClockSource {
 public:
  double milliseconds() const override;
  uint32_t tickCount() const override;
  void sleep(uint32_t ms) override;
};

}  // namespace zunka::platform
