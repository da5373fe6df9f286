#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace zunka {

// Where the player writes for a game (docs/install.md). A game whose folder takes
// writes keeps today's places: caches in Temp under the system directory, saves in
// the game's own folders. A folder that cannot be written (an installed game, a CD
// image, a read-only mount) sends caches to the user's cache directory and saves to
// the user's data directory, in a folder of their own for each game under `zunka`,
// where a save keeps the place it has in the game's folder.
struct UserStorage {
  // The user's base directories (platform/user_folders.h), system paths; "": none.
  std::string dataHome;
  std::string cacheHome;
  // Folders never written, whatever the host allows: an installed system directory
  // belongs to the package manager.
  std::vector<std::string> readOnlyFolders;
  // The folder of the game the player started with: it names the cache folder and
  // the settings.
  std::string gameDir;
  // Where caches go; "": Temp under the base directory.
  std::string cacheDir;
};

// The current player's storage.
UserStorage& userStorage();

// Settles storage for a run (system paths): the user's folders from the host,
// `baseDir` never written when `installed`, and the caches in the user's cache
// folder for the game in `gameDir` unless Temp under `baseDir` takes writes.
void ChooseUserStorage(std::string_view baseDir, std::string_view gameDir, bool installed);

// Whether the player may write into `dir`: it lies in a folder the user opened
// (trusted_folders.h), in no read-only folder, and the host lets this process
// write there.
bool FolderTakesWrites(std::string_view dir);
// The name of a game's folders in the user's directories: the folder's own name
// (ASCII letters, digits, ".", "-" and "_" only) and a digest of its whole path, so
// that two games in folders of the same name keep apart.
std::string GameKey(std::string_view gameDir);
// The game's folder in the user's data directory (DATA\zunka\KEY); "" without a
// data directory.
std::string UserDataFolder(std::string_view gameDir);
// The folder caches go to.
std::string CacheFolder();

// `path`, a file or folder inside the game folder `gameDir`, at the same place in
// the game's user data folder; "" when it lies outside the game or there is no data
// directory.
std::string MirroredPath(std::string_view path, std::string_view gameDir);
// Where a save to `path` goes: `path` itself when the game's folder takes writes,
// else its mirror, whose user data folder is made first and must hold it on the host
// ("" when there is none).
std::string SavePath(std::string_view path, std::string_view gameDir);
// Where a read of `path` comes from: the mirror when the game's folder takes no
// writes and the mirror has the file, else `path` (a file the game came with).
std::string ReadPath(std::string_view path, std::string_view gameDir);

}  // namespace zunka
