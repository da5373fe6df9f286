#include "platform/host_platform.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/headless_platform.h"
#include "platform/host_libraries.h"

namespace zunka::platform {
namespace {

// Without a display named in the environment the desktop libraries are not even
// loaded (SDL would fall back to drivers that show nothing, and the window-system
// libraries would print their own complaints). SDL_VIDEODRIVER names a driver
// outright: the tests' dummy one, for instance.
bool displayExpected(std::string& error) {
  if (std::getenv("SDL_VIDEODRIVER")) return true;
  if (std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY")) return true;
  error = "no display: DISPLAY and WAYLAND_DISPLAY are unset";
  return false;
}

void sayPlayingHeadless(const std::string& error, const char* advice) {
  // One line, and what to do about it: a double-clicked game must not just vanish.
  std::fprintf(stderr,
               "zunka: cannot open a window (%s); playing headless, without picture or sound: "
               "%s, or give --headless to go without this line\n",
               error.c_str(), advice);
}

}  // namespace

std::unique_ptr<HostPlatform> openHostPlatform(const PlatformOptions& options) {
  if (!options.headless) {
    std::string error;
    const char* desktop = "start zunka from a desktop session to see the game";
    if (!displayExpected(error)) {
      sayPlayingHeadless(error, desktop);
    } else if (const HostLibraries* host = hostLibraries(error)) {
      if (auto windowed = host->openWindowedPlatform(options, error)) return windowed;
      sayPlayingHeadless(error, desktop);
    } else {
      sayPlayingHeadless(error, "reinstall zunka");
    }
  }
  return std::make_unique<HeadlessPlatform>(options);
}

}  // namespace zunka::platform
