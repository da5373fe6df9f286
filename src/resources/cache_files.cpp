#include "resources/cache_files.h"

#include "platform/files.h"
#include "resources/cache_bundle.h"
#include "resources/paths.h"
#include "resources/resource_tree.h"
#include "resources/resources_state.h"
#include "resources/user_storage.h"

namespace zunka {
namespace {

// s/\.\./@/g, then s/[^@a-zA-Z0-9_]//g.
// Appended to `out`, which is never longer by more than the name itself: it is
// written in place, not a character at a time through append.
void appendReducedName(std::string& out, std::string_view relative) {
  size_t at = out.size();
  out.resize(at + relative.size());
  for (size_t i = 0; i < relative.size(); ++i) {
    char c = relative[i];
    if (c == '.' && i + 1 < relative.size() && relative[i + 1] == '.') {
      out[at++] = '@';
      ++i;
    } else if (c == '@' || c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
               (c >= '0' && c <= '9')) {
      out[at++] = c;
    }
  }
  out.resize(at);
}

}  // namespace

std::string CacheFilePath(std::string_view prefix, std::string_view source) {
  // Every class loaded at start-up asks for its path: built in one string.
  std::string path = CacheFolder();
  path += '\\';
  path += prefix;
  appendReducedName(path, RelativePath(source, resourceTree().baseDir));
  return path;
}

bool WriteCacheFile(std::string_view path, std::string_view bytes) {
  // Reading a cache file needs no folder check (a missing folder reads as a
  // missing file), so the folder is made here, when a write finds it missing.
  bool written = platform::writeFile(path, bytes);
  if (!written) {
    std::string dir = CacheFolder();
    if (platform::directoryExists(dir)) return false;
    platform::makeDirectory(dir);
    written = platform::writeFile(path, bytes);
  }
  if (written && resourcesState().cacheBundle) resourcesState().cacheBundle->note(path, bytes);
  return written;
}

}  // namespace zunka
