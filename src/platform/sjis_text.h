#pragma once
#include <string>
#include <string_view>

namespace zunka::platform {

// Converts Shift_JIS (code page 932) bytes to UTF-8 for the terminal and other
// host-facing text. Bytes that are not valid code page 932 become U+FFFD, so a
// damaged message still shows where the damage is instead of losing text.
std::string sjisToUtf8(std::string_view sjis);

}  // namespace zunka::platform
