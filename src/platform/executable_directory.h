#pragma once
#include <string>

namespace zunka::platform {

// The directory of the running executable as a host path ending in '/', or the
// current directory when the host cannot tell.
std::string executableDirectory();

}  // namespace zunka::platform
