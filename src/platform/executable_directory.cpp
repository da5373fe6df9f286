#include "platform/executable_directory.h"

#include <unistd.h>

#include <climits>
#include <vector>

namespace zunka::platform {

std::string executableDirectory() {
  std::vector<char> buffer(PATH_MAX + 1);
  ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (length <= 0) {
    if (!getcwd(buffer.data(), buffer.size())) return "./";
    return std::string(buffer.data()) + "/";
  }
  std::string path(buffer.data(), static_cast<size_t>(length));
  return path.substr(0, path.rfind('/') + 1);
}

}  // namespace zunka::platform
