#pragma once
#include <string>

namespace zunka {

// The placement script of the current page, cached under Temp: "i121_" and the
// page's path reduced as class files are, with ".zunka" appended.
std::string GenerationCacheFile();

// When on, every build writes the placement script again instead of reusing the
// cached one. Off unless the shell turns it on.
inline bool alwaysRebuildPages = false;

// Places the objects of the current page: writes its placement script (once; a
// later build reuses the cached file, and the script itself tells through
// $_hashCode whether the page changed since), compiles it as the class "eval"
// and runs it to its end.
void BuildPage();

}  // namespace zunka
