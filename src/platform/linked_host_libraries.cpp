// For programs that link the desktop libraries themselves (the tests that drive
// SDL directly): the platform's parts that use them are linked in too.
#include "platform/sdl_host_libraries.h"

namespace zunka::platform {

const HostLibraries* hostLibraries(std::string&) {
  return &sdlHostLibraries();
}

}  // namespace zunka::platform
