#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zunka::platform {

// Starts the program at `hostPath` without waiting for it; false when the host
// could not start it.
bool launchProgram(const std::string& hostPath);

// Starts the program at `hostPath` with `args`, without a shell and without
// waiting for it: its process id, or 0 when it could not be started.
int32_t spawnProgram(const std::string& hostPath, const std::vector<std::string>& args);

// This process's id.
int32_t currentProcessId();
// The process id of this process's parent (1 or another once it has gone).
int32_t parentProcessId();
// Asks the host to end this process when its parent ends.
void endWithParent();

// Opens a web address (http:// or https:// only) with the desktop's default
// program, without a shell; false when it could not be started.
bool openAddress(const std::string& address);

}  // namespace zunka::platform
