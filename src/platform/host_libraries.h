#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/font_engine.h"
#include "platform/host_platform.h"

// The parts of the platform that stand on the desktop libraries (SDL2, SDL2_ttf,
// fontconfig, and the sixty-odd libraries they pull in: sound servers, window
// systems, text shaping). The player gets them from the host module, loaded on
// the first window or text, so that runs with neither (--run, --check,
// headless runs without text) do not pay for loading them; test programs link
// them in instead.
namespace zunka::platform {

struct HostLibraries {
  // A real window, or nothing with the reason in `error`.
  std::unique_ptr<HostPlatform> (*openWindowedPlatform)(const PlatformOptions& options,
                                                        std::string& error);
  // The host's fonts and rasteriser, or nothing with the reason in `error`.
  std::unique_ptr<FontEngine> (*openFontEngine)(std::string& error);
};

// The desktop libraries, loaded (once) if they are not linked in; nothing when
// they cannot be had, and then `error` says why (every later call says the same).
const HostLibraries* hostLibraries(std::string& error);

// The module and the player pass C++ objects to each other, so they must come
// from the same build: the module's entry point answers only to the version
// it was built with.
inline constexpr uint32_t kHostInterfaceVersion = 1;
inline constexpr const char* kHostModuleEntry = "zunka_host_libraries";
using HostModuleEntry = const HostLibraries* (*)(uint32_t interfaceVersion,
                                                 const char* playerVersion);

}  // namespace zunka::platform
