#include "platform/sdl_platform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/sdl_tool_window.h"
#include "platform/stream_output.h"

namespace zunka::platform {
namespace {

// Sound is optional: without a device the game still runs, silently.
bool startAudio() {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) return true;
  std::fprintf(stderr, "zunka: no sound device (%s); sound is off\n", SDL_GetError());
  return false;
}

// SDL falls back to drivers that show nothing (offscreen, dummy) when no window
// system answers. Those are only a window when asked for by name (tests do);
// otherwise the player is better off headless, with its virtual clock.
bool showsAWindow(std::string& error) {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (std::getenv("SDL_VIDEODRIVER") || !driver) return true;
  if (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0) return true;
  error = std::string("no display; SDL offered only its ") + driver + " driver";
  return false;
}

}  // namespace

std::unique_ptr<SdlPlatform> SdlPlatform::open(const PlatformOptions& options, std::string& error) {
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    error = SDL_GetError();
    SDL_Quit();
    return nullptr;
  }
  if (!showsAWindow(error)) {
    SDL_Quit();
    return nullptr;
  }
  std::unique_ptr<SdlWindow> window =
      SdlWindow::create(options.width, options.height, options.fullScreen, error);
  if (!window) {
    SDL_Quit();
    return nullptr;
  }
  // Game controllers are optional too: keys and mouse work without them.
  SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
  bool sound = startAudio();
  return std::unique_ptr<SdlPlatform>(new SdlPlatform(std::move(window), sound));
}

SdlPlatform::SdlPlatform(std::unique_ptr<SdlWindow> window, bool sound)
    : window_(std::move(window)),
      loop_(*window_),
      boxes_(window_->handle(), StreamOutput::standardError()),
      sound_(sound) {}

std::unique_ptr<ToolWindow> SdlPlatform::openToolWindow(std::string_view sjisTitle, int32_t width,
                                                        int32_t height) {
  return SdlToolWindow::create(loop_, sjisTitle, width, height);
}

SdlPlatform::~SdlPlatform() {
  audio_.reset();  // its callback ends before SDL does
  window_.reset();
  SDL_Quit();
}

}  // namespace zunka::platform
