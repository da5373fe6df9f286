#pragma once
#include <string>
#include <string_view>

namespace zunka {

// Derived files (compiled classes, generated placement scripts) are cached in
// CacheFolder() (Temp in baseDir, or the game's folder in the user's cache
// directory: user_storage.h), one per source file. The name is `prefix` followed by the
// source's path relative to baseDir, with ".." turned into "@" and everything but
// "@", ASCII letters, digits and "_" dropped, so that every source has its own
// file whatever directory it lives in. The folder is created when missing.
std::string CacheFilePath(std::string_view prefix, std::string_view source);

}  // namespace zunka
