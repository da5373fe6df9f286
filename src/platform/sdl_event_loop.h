#pragma once
#include "platform/idle_loop.h"
#include "platform/input_event.h"
#include "platform/message_pump.h"
#include "platform/sdl_window.h"

#include <vector>

namespace zunka::platform {

class SdlToolWindow;

// SDL's event queue as the application's message loop: events first, then the
// idle handler; an idle handler with nothing to do waits for the next event, at
// most a few milliseconds so that the player's timers keep their pace. What the
// user does goes to the input sink as InputEvents.
class SdlEventLoop : public IdleLoop, public MessagePump {
 public:
  explicit SdlEventLoop(SdlWindow& window) : window_(window) {}
  ~SdlEventLoop() override;
  void run(const IdleHandler& handler) override;
  void quit() override { quit_ = true; }
  bool quitRequested() const override { return quit_; }
  void pumpMessages() override;
  void setInputSink(InputSink* sink) { sink_ = sink; }
  // Events that carry a tool window's id go to that window instead.
  void addToolWindow(SdlToolWindow* window) { tools_.push_back(window); }
  void removeToolWindow(SdlToolWindow* window);

 private:
  void handle(const SDL_Event& event);
  void handleWindowEvent(const SDL_WindowEvent& event);
  void handleController(const SDL_Event& event);
  void send(const InputEvent& event);
  void stickAsPad(int axis, Sint16 value);
  SdlToolWindow* toolWindowOf(const SDL_Event& event) const;
  static void handleToolEvent(SdlToolWindow& tool, const SDL_Event& event);

  SdlWindow& window_;
  InputSink* sink_ = nullptr;
  bool quit_ = false;
  SDL_GameController* controller_ = nullptr;
  bool stickHeld_[4] = {};  // left, right, up, down
  std::vector<SdlToolWindow*> tools_;
};

}  // namespace zunka::platform
