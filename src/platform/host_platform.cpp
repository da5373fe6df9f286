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
    std::fprintf(stderr, "zunka: cannot open a window (%s); running headless\n", error.c_str());
  }
  return std::make_unique<HeadlessPlatform>(options);
}

}  // namespace zunka::platform
