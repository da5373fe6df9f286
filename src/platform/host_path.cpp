#include "platform/host_path.h"

#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zunka::platform {

bool hostFileExists(const std::string& hostPath) {
  struct stat info {};
  return stat(hostPath.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string hostFileProblem(const std::string& hostPath) {
  struct stat info {};
  if (stat(hostPath.c_str(), &info) != 0) return "no such file";
  if (S_ISDIR(info.st_mode)) return "it is a folder, not a file";
  if (!S_ISREG(info.st_mode)) return "it is not a regular file";
  if (FILE* file = std::fopen(hostPath.c_str(), "rb")) {
    std::fclose(file);
    return {};
  }
  return std::string("it cannot be read: ") + std::strerror(errno);
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
