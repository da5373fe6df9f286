#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "resources/resource.h"

namespace zunka {

// Makes the resource of a kind that a higher layer supplies (pattern sheets);
// relative `src` attributes resolve against `dir`.
using ResourceMaker = ResourcePtr (*)(const TSGML& tag, std::string_view dir);
// From now on, elements named `tagName` become what `make` builds. Until a kind
// is registered, `cpattern` elements are kept as tag resources.
void RegisterResourceKind(std::string tagName, ResourceMaker make);

// What one load (an element or file read from outside any other, with everything
// it links) may make. Files that link each other without a cycle can still make
// the player read the same files without end (twenty files each linking the
// next ten times); the kernel and the largest games stay far below these.
inline constexpr int64_t kMostLinksPerLoad = 4096;
inline constexpr uint64_t kMostLinkedBytesPerLoad = uint64_t(64) << 20;
inline constexpr int64_t kMostResourcesPerLoad = 1000000;

// Makes the resource an element stands for, by its tag name (relative `src`
// attributes resolve against `dir`); nullptr when the element gives none (an
// unknown tag name shows N + "は不正なタグ名です").
ResourcePtr ResourceFromTag(const TSGML& tag, std::string_view dir);

// The resource of the first element of a tag text (nullptr when it holds none).
ResourcePtr ParseResourceText(std::string_view text, std::string_view dir);
// The same, resolving against workDir.
ResourcePtr ParseResourceText(std::string_view text);

// Reads a tag file (resolved against workDir) into a resource whose `src` is the
// file; a file that links itself, directly or through others, raises an error, as
// do a file outside the trusted folders (trusted_folders.h) and a load past the
// bounds above.
ResourcePtr LoadResourceFile(std::string_view path);

}  // namespace zunka
