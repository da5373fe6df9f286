#include "platform/host_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "platform/sjis_text.h"

namespace zunka::platform {

std::string systemPathToHost(std::string_view sjisPath) {
  std::string slashed(sjisPath);
  for (size_t i = 0; i < slashed.size(); i += sjisCharLength(slashed, i))
    if (slashed[i] == '\\') slashed[i] = '/';
  return sjisToUtf8(slashed);
}

std::string hostPathToSystem(std::string_view hostPath) {
  return utf8ToSjis(hostPath);
}

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

bool setCurrentHostDirectory(const std::string& hostPath) {
  return chdir(hostPath.c_str()) == 0;
}

}  // namespace zunka::platform
