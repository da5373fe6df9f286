#include "platform/host_path.h"

#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace zunka::platform {

bool hostFileExists(const std::string& hostPath) {
  struct stat info {};
  return stat(hostPath.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool hostDirectoryExists(const std::string& hostPath) {
  struct stat info {};
  return stat(hostPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::optional<std::string> absoluteHostPath(const std::string& hostPath) {
  char resolved[PATH_MAX];
  if (!realpath(hostPath.c_str(), resolved)) return std::nullopt;
  std::string path = resolved;
  if (hostDirectoryExists(path) && path.back() != '/') path += '/';
  return path;
}

std::string absoluteHostPathFromHere(const std::string& hostPath) {
  std::error_code error;
  std::filesystem::path path = std::filesystem::absolute(hostPath, error);
  return error ? hostPath : path.lexically_normal().string();
}

bool setCurrentHostDirectory(const std::string& hostPath) {
  return chdir(hostPath.c_str()) == 0;
}

}  // namespace zunka::platform
