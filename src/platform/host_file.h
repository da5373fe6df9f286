#pragma once
#include <optional>
#include <string>

namespace zunka::platform {

// Reads a whole file named by a host path (as given on the command line) as raw
// bytes; nothing when it cannot be opened or read.
std::optional<std::string> readHostFile(const std::string& hostPath);

}  // namespace zunka::platform
