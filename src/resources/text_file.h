#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace zunka {

// A text file as the system reads it: Shift_JIS bytes, every line (whatever its
// line end on disk) followed by CR LF. A missing file shows path + "が見つかりません"
// and then raises the file error.
std::string ReadTextFile(std::string_view path);
// The same from a file's bytes: whatever ends its lines, each line is followed by
// CR LF. Offsets into compiled sources count in this form.
std::string JoinFileLines(std::string_view bytes);

// Joins lines, each followed by CR LF, as files are written.
std::string JoinLines(const std::vector<std::string>& lines);

}  // namespace zunka
