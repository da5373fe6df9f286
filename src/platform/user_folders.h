#pragma once
#include <string>
#include <string_view>

// The user's own folders, where the player keeps what it cannot keep beside a game
// that takes no writes (docs/install.md): the base directories of the XDG Base
// Directory specification.
namespace zunka::platform {

// $XDG_DATA_HOME, else ~/.local/share; $XDG_CACHE_HOME, else ~/.cache. A relative
// value is ignored, as the XDG rules say. System form; "" when neither the
// variable nor HOME gives an absolute path.
std::string userDataHome();
std::string userCacheHome();

// Whether this process may make and replace files in the directory: false when it
// does not exist, lies on a read-only mount or lacks the permission.
bool directoryTakesWrites(std::string_view path);

}  // namespace zunka::platform
