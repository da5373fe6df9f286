#pragma once
#include <cstddef>
#include <string_view>

namespace zunka {

// Guarded files are the data files scripts may read and write through
// ResourceReader and ResourceWriter: they start with a 96-byte header of three
// 30-character lines, each ended by CR LF. Files named `.map` may lack it.
inline constexpr size_t kGuardedHeaderBytes = 96;
inline constexpr std::string_view kGuardedHeader =
    "ZUNKA_ACCESSIBLE_FILE_0001____\r\n"
    "READABLE_WRITEABLE____________\r\n"
    "MEMORYCARD_0001_______________\r\n";
static_assert(kGuardedHeader.size() == kGuardedHeaderBytes);

// Whether the first bytes of a file (at most 96) make a valid header: read as text
// up to the first zero byte, they begin with "ZUNKA_ACCESSIBLE_FILE". Only that
// prefix counts.
bool IsGuardedHeader(std::string_view firstBytes);
// Whether the path's extension is ".map" (in any letter case).
bool IsMapFile(std::string_view path);

}  // namespace zunka
