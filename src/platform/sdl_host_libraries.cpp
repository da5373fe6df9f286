#include "platform/sdl_host_libraries.h"

#include "platform/sdl_font_engine.h"
#include "platform/sdl_platform.h"

namespace zunka::platform {
namespace {

std::unique_ptr<HostPlatform> openSdlPlatform(const PlatformOptions& options, std::string& error) {
  return SdlPlatform::open(options, error);
}

}  // namespace

const HostLibraries& sdlHostLibraries() {
  static const HostLibraries libraries{openSdlPlatform, openSdlFontEngine};
  return libraries;
}

}  // namespace zunka::platform
