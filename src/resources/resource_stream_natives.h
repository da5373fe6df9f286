#pragma once
#include <span>
#include <string>
#include <string_view>

#include "vm/natives/native_support.h"

namespace zunka {

class StreamTable;
class TFileReader;

// ResourceReader and ResourceWriter: guarded data files (and `.map` files) of the
// running project. The file is the one the script object's getURL() names, the
// object waiting in the global `$_tmp_rrdr` (reader) or `$_tmp_rwrt` (writer).
std::span<const vm::NativeEntry> resourceReaderNatives();
std::span<const vm::NativeEntry> resourceWriterNatives();

// The folder guarded files must lie in: the running project's folder (the page's
// while no project is open).
std::string ProjectFolder();
// The file `url` names for a guarded-file stream: resolved against the page's
// folder when relative, and kept only when it lies in the project folder or below,
// by its text and on the host with links followed; "" otherwise.
std::string GuardedFilePath(std::string_view url);
// Opens `path` for a ResourceReader: positioned after the header of a guarded
// file, or at the start of a `.map` file without one. nullptr otherwise, with
// `invalid` set when the file was read and is neither.
TFileReader* OpenGuardedReader(StreamTable& streams, std::string_view path, bool& invalid);

}  // namespace zunka
