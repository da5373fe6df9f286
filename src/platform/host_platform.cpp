#include "platform/host_platform.h"

#include <cstdio>
#include <string>

#include "platform/headless_platform.h"
#include "platform/sdl_platform.h"

namespace zunka::platform {

std::unique_ptr<HostPlatform> openHostPlatform(const PlatformOptions& options) {
  if (!options.headless) {
    std::string error;
    if (auto sdl = SdlPlatform::open(options, error)) return sdl;
    // One line, and what to do about it: a double-clicked game must not just vanish.
    std::fprintf(stderr,
                 "zunka: cannot open a window (%s); playing headless, without picture or "
                 "sound: start zunka from a desktop session to see the game, or give --headless "
                 "to go without this line\n",
                 error.c_str());
  }
  return std::make_unique<HeadlessPlatform>(options);
}

}  // namespace zunka::platform
