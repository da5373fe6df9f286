#pragma once
#include <functional>

namespace zunka::platform {

// The application's message loop with an idle handler. The handler is called
// whenever no message waits; it sets `done` to true when it has nothing to do,
// and the loop then waits for the next message (or a short timeout, so timers
// keep running) before calling it again. With `done` false it is called again at once.
class IdleLoop {
 public:
  using IdleHandler = std::function<void(bool& done)>;
  virtual ~IdleLoop() = default;
  // Runs until quit() is called or the user closes the window.
  virtual void run(const IdleHandler& handler) = 0;
  virtual void quit() = 0;
  virtual bool quitRequested() const = 0;
};

}  // namespace zunka::platform
