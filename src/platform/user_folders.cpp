#include "platform/user_folders.h"

#include <unistd.h>

#include <cstdlib>

#include "platform/files.h"

namespace zunka::platform {
namespace {

std::string absoluteVariable(const char* name) {
  const char* value = std::getenv(name);
  return value && value[0] == '/' ? std::string(value) : std::string();
}

// The variable's folder, else `fallback` below the home folder.
std::string baseDirectory(const char* variable, const char* fallback) {
  std::string folder = absoluteVariable(variable);
  if (folder.empty()) {
    std::string home = absoluteVariable("HOME");
    if (home.empty()) return {};
    folder = home + "/" + fallback;
  }
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return systemPath(folder);
}

}  // namespace

std::string userDataHome() {
  return baseDirectory("XDG_DATA_HOME", ".local/share");
}

std::string userCacheHome() {
  return baseDirectory("XDG_CACHE_HOME", ".cache");
}

bool directoryTakesWrites(std::string_view path) {
  return directoryExists(path) && ::access(hostPath(path).c_str(), W_OK | X_OK) == 0;
}

}  // namespace zunka::platform
