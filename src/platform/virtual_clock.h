#pragma once
#include "platform/clock_source.h"

namespace zunka::platform {

// A clock that moves only when told to. Sleeping does not move it: a headless
// run is then a pure function of its input, however fast or loaded the machine.
class VirtualClock : public ClockSource {
 public:
  explicit VirtualClock(double startMilliseconds = 0.0) : now_(startMilliseconds) {}
  double milliseconds() const override { return now_; }
  uint32_t tickCount() const override;
  void sleep(uint32_t ms) override;
  void advance(double ms) { now_ += ms; }
  uint32_t sleptMilliseconds() const { return slept_; }
  int32_t sleepCalls() const { return sleepCalls_; }

 private:
  double now_;
  uint32_t slept_ = 0;
  int32_t sleepCalls_ = 0;
};

}  // namespace zunka::platform
