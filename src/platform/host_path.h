#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace zunka::platform {

// Host paths as the command line names them (UTF-8, '/'); system paths are
// mapped to and from them by platform/files.h.
bool hostFileExists(const std::string& hostPath);
// Why a file cannot be opened for reading ("no such file", ...); "" when it can.
std::string hostFileProblem(const std::string& hostPath);
bool hostDirectoryExists(const std::string& hostPath);
// The absolute form of an existing path (directories end with '/'); nothing when
// it does not exist.
std::optional<std::string> absoluteHostPath(const std::string& hostPath);
// The path made absolute against the current directory, whether or not it exists.
std::string absoluteHostPathFromHere(const std::string& hostPath);
bool setCurrentHostDirectory(const std::string& hostPath);

}  // namespace zunka::platform
