#include "platform/host_file.h"

#include <cstdio>
#include <memory>

namespace zunka::platform {

std::optional<std::string> readHostFile(const std::string& hostPath) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(hostPath.c_str(), "rb"), std::fclose);
  if (!file) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) bytes.append(buffer, got);
  // A directory opens but fails to read.
  if (std::ferror(file.get())) return std::nullopt;
  return bytes;
}

}  // namespace zunka::platform
