#pragma once
#include <string>

namespace zunka::platform {

// Starts the program at `hostPath` without waiting for it; false when the host
// could not start it.
bool launchProgram(const std::string& hostPath);

// Opens a web address (http:// or https:// only) with the desktop's default
// program, without a shell; false when it could not be started.
bool openAddress(const std::string& address);

}  // namespace zunka::platform
