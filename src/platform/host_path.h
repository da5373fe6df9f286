#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace zunka::platform {

// Paths inside the system are Shift_JIS and use '\' between names; the host wants
// UTF-8 and '/'. The conversion walks characters, so the second byte of a
// double-byte character that happens to be 0x5C ('\') is left alone.
std::string systemPathToHost(std::string_view sjisPath);
// The reverse, for directories the host names (the executable's, --base).
std::string hostPathToSystem(std::string_view hostPath);

bool hostFileExists(const std::string& hostPath);
bool hostDirectoryExists(const std::string& hostPath);
// The absolute form of an existing path (directories end with '/'); nothing when
// it does not exist.
std::optional<std::string> absoluteHostPath(const std::string& hostPath);
bool setCurrentHostDirectory(const std::string& hostPath);

}  // namespace zunka::platform
