#include "resources/user_storage.h"

#include <cstdint>
#include <cstdio>

#include "platform/files.h"
#include "platform/sjis_text.h"
#include "platform/user_folders.h"
#include "resources/paths.h"
#include "resources/resource_tree.h"
#include "resources/resources_state.h"
#include "resources/trusted_folders.h"

namespace zunka {
namespace {

constexpr std::string_view kUserFolder = "zunka";

uint32_t fnv1a(std::string_view text) {
  uint32_t hash = 2166136261u;
  for (char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 16777619u;
  }
  return hash;
}

bool inReadOnlyFolder(std::string_view dir) {
  for (const std::string& folder : userStorage().readOnlyFolders)
    if (IsSameOrInside(dir, folder)) return true;
  return false;
}

}  // namespace

UserStorage& userStorage() {
  return resourcesState().storage;
}

void ChooseUserStorage(std::string_view baseDir, std::string_view gameDir, bool installed) {
  UserStorage& storage = userStorage();
  storage.dataHome = platform::userDataHome();
  storage.cacheHome = platform::userCacheHome();
  storage.readOnlyFolders.clear();
  if (installed) storage.readOnlyFolders.push_back(StripTrailingBackslash(baseDir));
  storage.gameDir = StripTrailingBackslash(gameDir);
  storage.cacheDir.clear();
  std::string temp = ResolvePath("Temp", baseDir);
  bool tempTakesWrites =
      platform::directoryExists(temp) ? FolderTakesWrites(temp) : FolderTakesWrites(baseDir);
  if (!tempTakesWrites && !storage.cacheHome.empty())
    storage.cacheDir = storage.cacheHome + "\\" + std::string(kUserFolder) + "\\" +
                       GameKey(storage.gameDir.empty() ? baseDir : storage.gameDir);
}

bool FolderTakesWrites(std::string_view dir) {
  // A game the user did not open (a page a script opened in some other folder)
  // keeps its saves in the user's data folder, as an installed game does: the
  // player writes nothing next to a stranger's files.
  bool opened = resourceTree().baseDir.empty() || InOpenedFolder(dir, Access::Write);
  return opened && !inReadOnlyFolder(dir) && platform::directoryTakesWrites(dir);
}

std::string GameKey(std::string_view gameDir) {
  std::string folder = StripTrailingBackslash(gameDir);
  std::string name;
  std::string last = FileNamePart(folder);
  for (size_t i = 0; i < last.size();) {
    // The second byte of a double-byte character may look like a letter: skipped whole.
    size_t length = platform::sjisCharLength(last, i);
    char c = last[i];
    if (length == 1 && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_'))
      name += c;
    i += length;
  }
  if (name.empty() || name.find_first_not_of('.') == std::string::npos) name = "game";
  char digest[16];
  std::snprintf(digest, sizeof digest, "-%08x", fnv1a(platform::foldAsciiCase(folder)));
  return name + digest;
}

std::string UserDataFolder(std::string_view gameDir) {
  const std::string& home = userStorage().dataHome;
  if (home.empty()) return {};
  return home + "\\" + std::string(kUserFolder) + "\\" + GameKey(gameDir);
}

std::string CacheFolder() {
  const std::string& dir = userStorage().cacheDir;
  return dir.empty() ? ResolvePath("Temp", resourceTree().baseDir) : dir;
}

std::string MirroredPath(std::string_view path, std::string_view gameDir) {
  std::string game = StripTrailingBackslash(gameDir);
  std::string folder = UserDataFolder(game);
  if (folder.empty() || game.empty() || !IsAbsolutePath(path) || !IsSameOrInside(path, game))
    return {};
  std::string inside = StripTrailingBackslash(path);
  return inside.size() > game.size() ? folder + inside.substr(game.size()) : folder;
}

std::string SavePath(std::string_view path, std::string_view gameDir) {
  if (FolderTakesWrites(gameDir)) return std::string(path);
  std::string mirror = MirroredPath(path, gameDir);
  if (mirror.empty()) return {};
  std::string folder = UserDataFolder(gameDir);
  if (!platform::makeDirectory(folder) || !platform::staysInsideOnHost(mirror, folder)) return {};
  return mirror;
}

std::string ReadPath(std::string_view path, std::string_view gameDir) {
  if (FolderTakesWrites(gameDir)) return std::string(path);
  std::string mirror = MirroredPath(path, gameDir);
  std::string folder = UserDataFolder(gameDir);
  if (!mirror.empty() && platform::fileExists(mirror) && platform::directoryExists(folder) &&
      platform::staysInsideOnHost(mirror, folder))
    return mirror;
  return std::string(path);
}

}  // namespace zunka
