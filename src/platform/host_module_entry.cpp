// The host module's one exported symbol (the rest of the module is hidden).
#include <cstring>
#include <type_traits>

#include "platform/sdl_host_libraries.h"

extern "C" __attribute__((visibility("default"))) const zunka::platform::HostLibraries*
zunka_host_libraries(uint32_t interfaceVersion, const char* playerVersion) {
  using namespace zunka::platform;
  if (interfaceVersion != kHostInterfaceVersion || std::strcmp(playerVersion, ZUNKA_VERSION) != 0)
    return nullptr;
  return &sdlHostLibraries();
}

static_assert(std::is_same_v<decltype(&zunka_host_libraries), zunka::platform::HostModuleEntry>);
