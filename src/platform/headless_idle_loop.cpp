#include "platform/headless_idle_loop.h"

namespace zunka::platform {

void HeadlessIdleLoop::run(const IdleHandler& handler) {
  while (!quit_) {
    clock_.advance(frameInterval_ ? frameInterval_() : 17);
    bool done = false;
    handler(done);
  }
}

}  // namespace zunka::platform
