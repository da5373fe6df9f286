#include "resources/cache_files.h"

#include "platform/files.h"
#include "resources/paths.h"
#include "resources/resource_tree.h"
#include "resources/user_storage.h"

namespace zunka {
namespace {

// s/\.\./@/g, then s/[^@a-zA-Z0-9_]//g.
std::string reducedName(std::string_view relative) {
  std::string out;
  for (size_t i = 0; i < relative.size(); ++i) {
    char c = relative[i];
    if (c == '.' && i + 1 < relative.size() && relative[i + 1] == '.') {
      out += '@';
      ++i;
    } else if (c == '@' || c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
               (c >= '0' && c <= '9')) {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::string CacheFilePath(std::string_view prefix, std::string_view source) {
  return CacheFolder() + "\\" + std::string(prefix) +
         reducedName(RelativePath(source, resourceTree().baseDir));
}

bool WriteCacheFile(std::string_view path, std::string_view bytes) {
  // Reading a cache file needs no folder check (a missing folder reads as a
  // missing file), so the folder is made here, when a write finds it missing.
  if (platform::writeFile(path, bytes)) return true;
  std::string dir = CacheFolder();
  if (platform::directoryExists(dir)) return false;
  platform::makeDirectory(dir);
  return platform::writeFile(path, bytes);
}

}  // namespace zunka
