#include "platform/sdl_event_loop.h"

namespace zunka::platform {
namespace {

// Short enough for a 100 ms timer to stay on time, long enough to leave the
// processor alone while nothing runs.
constexpr int kIdleWaitMilliseconds = 10;

}  // namespace

void SdlEventLoop::run(const IdleHandler& handler) {
  while (!quit_) {
    pumpMessages();
    if (quit_) break;
    bool done = false;
    handler(done);
    if (done && !quit_) SDL_WaitEventTimeout(nullptr, kIdleWaitMilliseconds);
  }
}

void SdlEventLoop::pumpMessages() {
  SDL_Event event;
  while (SDL_PollEvent(&event)) handle(event);
}

void SdlEventLoop::handle(const SDL_Event& event) {
  if (event.type == SDL_QUIT) {
    quit_ = true;
    return;
  }
  if (event.type != SDL_WINDOWEVENT) return;
  switch (event.window.event) {
    case SDL_WINDOWEVENT_CLOSE:
      quit_ = true;
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      window_.setActive(true);
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      window_.setActive(false);
      break;
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      window_.paint();
      break;
    default:
      break;
  }
}

}  // namespace zunka::platform
