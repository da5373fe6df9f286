#pragma once
#include "platform/host_libraries.h"

namespace zunka::platform {

// The desktop libraries' parts of the platform, as this program or module has
// them linked in.
const HostLibraries& sdlHostLibraries();

}  // namespace zunka::platform
