#pragma once
#include <functional>

#include "platform/idle_loop.h"
#include "platform/message_pump.h"
#include "platform/virtual_clock.h"

namespace zunka::platform {

// The idle loop of a run without a window: no messages ever wait, so the handler
// is called back to back, and before each call the virtual clock moves by one
// frame interval. Every call therefore finds exactly one frame due.
class HeadlessIdleLoop : public IdleLoop, public MessagePump {
 public:
  HeadlessIdleLoop(VirtualClock& clock, std::function<int32_t()> frameInterval)
      : clock_(clock), frameInterval_(std::move(frameInterval)) {}
  void run(const IdleHandler& handler) override;
  void quit() override { quit_ = true; }
  bool quitRequested() const override { return quit_; }
  void pumpMessages() override {}

 private:
  VirtualClock& clock_;
  std::function<int32_t()> frameInterval_;
  bool quit_ = false;
};

}  // namespace zunka::platform
