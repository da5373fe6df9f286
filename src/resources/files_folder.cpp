#include "resources/files_folder.h"

#include "platform/files.h"
#include "platform/sjis_text.h"
#include "resources/paths.h"
#include "resources/resource_stream_natives.h"
#include "resources/resource_tree.h"
#include "resources/user_storage.h"

namespace zunka {
namespace {

FilesPlace placeOf(std::string_view pageDir) {
  return {FilesFolder(pageDir), std::string(pageDir), false};
}

// The mirror of a page folder in the user's data directory (nothing without one).
FilesPlace mirrorOf(std::string_view pageDir, std::string_view gameDir) {
  std::string container = MirroredPath(pageDir, gameDir);
  if (container.empty()) return {};
  FilesPlace place = placeOf(container);
  place.mirror = true;
  return place;
}

// A page folder outside its project's folder is a game of its own.
std::string gameOf(std::string_view pageDir, std::string_view gameDir) {
  return !gameDir.empty() && IsSameOrInside(pageDir, gameDir) ? std::string(gameDir)
                                                              : std::string(pageDir);
}

}  // namespace

std::string CleanFileName(std::string_view name) {
  std::string cleaned;
  for (size_t i = 0; i < name.size();) {
    size_t length = platform::sjisCharLength(name, i);
    // No character has a second byte below 0x40: a lead byte before "/" or ":" is
    // a stray byte, and the separator after it is removed like any other (the
    // host would take that "/" for one). The stray byte goes with it: kept, it
    // would pair with whatever byte came after the separator, and shift every
    // later character, so that a "\" second byte could become a separator.
    if (length == 2 && static_cast<unsigned char>(name[i + 1]) < 0x40) {
      char next = name[i + 1];
      length = 1;
      if (next == ':' || next == '/') {
        ++i;
        continue;
      }
    }
    char c = name[i];
    if (length > 1 || (c != '\\' && c != ':' && c != '/')) cleaned.append(name.substr(i, length));
    i += length;
  }
  return cleaned;
}

std::string FilesFolder(std::string_view pageDir) {
  return ResolvePath("files", pageDir);
}

std::string FilesFolderPath(std::string_view name, std::string_view pageDir) {
  return FilesFolderPath(name, placeOf(pageDir));
}

std::string FilesFolderPath(std::string_view name, const FilesPlace& place) {
  const std::string& folder = place.folder;
  std::string cleaned = CleanFileName(name);
  // The host ends a name at its first zero byte.
  if (cleaned.find('\0') != std::string::npos || folder.empty()) return {};
  std::string path = ResolvePath(cleaned, folder);
  if (path.empty() || !IsSameOrInside(path, folder) || SamePath(path, folder)) return {};
  return path;
}

bool StaysInFilesFolder(std::string_view path, std::string_view pageDir) {
  return StaysInFilesFolder(path, placeOf(pageDir));
}

bool StaysInFilesFolder(std::string_view path, const FilesPlace& place) {
  return !place.folder.empty() && platform::directoryExists(place.folder) &&
         platform::staysInsideOnHost(place.folder, place.container) &&
         platform::staysInsideOnHost(path, place.folder);
}

bool MakeFilesFolder(std::string_view pageDir) {
  return MakeFilesFolder(placeOf(pageDir));
}

bool MakeFilesFolder(const FilesPlace& place) {
  const std::string& folder = place.folder;
  if (folder.empty() || place.container.empty()) return false;
  // A mirror's page folder may not be there yet: it lies in the user's own folder.
  if (place.mirror && !platform::directoryExists(place.container))
    platform::makeDirectory(place.container);
  // Judged before anything is made: a link named `files` that leads out of the
  // page folder must not have folders made at its far end.
  if (!platform::staysInsideOnHost(folder, place.container)) return false;
  if (!platform::directoryExists(folder)) platform::makeDirectory(folder);
  return platform::directoryExists(folder) && platform::staysInsideOnHost(folder, place.container);
}

std::vector<FilesPlace> FilesPlacesToRead(std::string_view pageDir, std::string_view gameDir) {
  std::string game = gameOf(pageDir, gameDir);
  if (FolderTakesWrites(game)) return {placeOf(pageDir)};
  std::vector<FilesPlace> places;
  if (FilesPlace mirror = mirrorOf(pageDir, game); !mirror.folder.empty())
    places.push_back(std::move(mirror));
  places.push_back(placeOf(pageDir));
  return places;
}

FilesPlace FilesPlaceToWrite(std::string_view pageDir, std::string_view gameDir) {
  std::string game = gameOf(pageDir, gameDir);
  if (FolderTakesWrites(game)) return placeOf(pageDir);
  // The user's data folder for the game is made so that the mirror can be judged
  // on the host.
  std::string userFolder = UserDataFolder(game);
  FilesPlace mirror = mirrorOf(pageDir, game);
  if (mirror.folder.empty() || !platform::makeDirectory(userFolder) ||
      !platform::staysInsideOnHost(mirror.container, userFolder))
    return {};
  return mirror;
}

std::string ExistingScriptFile(std::string_view name) {
  const std::string& pageDir = resourceTree().workDir;
  for (const FilesPlace& place : FilesPlacesToRead(pageDir, ProjectFolder())) {
    std::string path = FilesFolderPath(name, place);
    if (!path.empty() && StaysInFilesFolder(path, place) && platform::fileExists(path)) return path;
  }
  return {};
}

std::string ScriptFileToWrite(std::string_view name, bool makeFolder) {
  FilesPlace place = FilesPlaceToWrite(resourceTree().workDir, ProjectFolder());
  std::string path = FilesFolderPath(name, place);
  if (path.empty() || (makeFolder && !MakeFilesFolder(place)) || !StaysInFilesFolder(path, place))
    return {};
  return path;
}

}  // namespace zunka
