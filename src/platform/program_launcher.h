#pragma once
#include <string>

namespace zunka::platform {

// Starts the program at `hostPath` without waiting for it; false when the host
// could not start it.
bool launchProgram(const std::string& hostPath);

}  // namespace zunka::platform
