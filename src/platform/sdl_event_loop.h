#pragma once
#include "platform/idle_loop.h"
#include "platform/message_pump.h"
#include "platform/sdl_window.h"

namespace zunka::platform {

// SDL's event queue as the application's message loop: events first, then the
// idle handler; an idle handler with nothing to do waits for the next event, at
// most a few milliseconds so that the player's timers keep their pace.
class SdlEventLoop : public IdleLoop, public MessagePump {
 public:
  explicit SdlEventLoop(SdlWindow& window) : window_(window) {}
  void run(const IdleHandler& handler) override;
  void quit() override { quit_ = true; }
  bool quitRequested() const override { return quit_; }
  void pumpMessages() override;

 private:
  void handle(const SDL_Event& event);
  SdlWindow& window_;
  bool quit_ = false;
};

}  // namespace zunka::platform
