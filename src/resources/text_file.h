#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zunka {

// The largest text file the player reads: pages, linked tag files, class sources,
// the project file. Hand-written text of 16 MiB is already far beyond any game;
// anything larger is a mistake or an attack, and is refused rather than parsed.
inline constexpr uint64_t kLargestTextFile = uint64_t(16) << 20;

// A text file as the system reads it: Shift_JIS bytes, every line (whatever its
// line end on disk) followed by CR LF. A missing file shows path + "が見つかりません"
// and then raises the file error; so does anything that is not a regular file of at
// most `largest` bytes (a directory, a device, a FIFO), with its own message.
std::string ReadTextFile(std::string_view path, uint64_t largest = kLargestTextFile);
// The same from a file's bytes: whatever ends its lines, each line is followed by
// CR LF. Offsets into compiled sources count in this form.
std::string JoinFileLines(std::string_view bytes);

// Joins lines, each followed by CR LF, as files are written.
std::string JoinLines(const std::vector<std::string>& lines);

}  // namespace zunka
