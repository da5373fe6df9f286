#pragma once
#include <string>
#include <string_view>

namespace zunka {

// Derived files (compiled classes, generated placement scripts) are cached in
// CacheFolder() (Temp in baseDir, or the game's folder in the user's cache
// directory: user_storage.h), one per source file. The name is `prefix` followed by the
// source's path relative to baseDir, with ".." turned into "@" and everything but
// "@", ASCII letters, digits and "_" dropped, so that every source has its own
// file whatever directory it lives in.
std::string CacheFilePath(std::string_view prefix, std::string_view source);

// Writes a cache file (replacing it whole), making the cache folder when it is
// missing.
bool WriteCacheFile(std::string_view path, std::string_view bytes);

}  // namespace zunka
