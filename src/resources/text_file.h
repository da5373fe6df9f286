#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace zunka {

// A text file as the system reads it: Shift_JIS bytes, every line (whatever its
// line end on disk) followed by CR LF. A missing file shows path + "が見つかりません"
// and then raises the file error.
std::string ReadTextFile(std::string_view path);

// Joins lines, each followed by CR LF, as files are written.
std::string JoinLines(const std::vector<std::string>& lines);

}  // namespace zunka
