#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace zunka {

// The placement script of the current page, cached under Temp: "i121_" and the
// page's path reduced as class files are, with ".zunka" appended.
std::string GenerationCacheFile();

// When on, every build writes the placement script again instead of reusing the
// cached one. Off unless the shell turns it on.
bool& alwaysRebuildPages();

// When on, a cached script that was built from another version of the page file
// (its recorded page hash differs from the file's now) is written again: the
// player edits pages and expects to see the edit. Off unless the shell turns it on.
bool& rebuildStalePages();

// The page hash a cached placement script was built for, or nothing when the
// script does not say.
std::optional<int32_t> CachedPageHash(const std::string& script);

// Places the objects of the current page: writes its placement script (once; a
// later build reuses the cached file, and the script itself tells through
// $_hashCode whether the page changed since), compiles it as the class "eval"
// and runs it to its end.
void BuildPage();

}  // namespace zunka
