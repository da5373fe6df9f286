#pragma once
#include <string>
#include <string_view>

namespace zunka {

// Binary records travel as text in standard Base64 (RFC 4648: `A`-`Z`, `a`-`z`,
// `0`-`9`, `+`, `/`, padded with `=`).
std::string EncodeBase64(std::string_view bytes);
// Decodes leniently, as text typed or pasted by people may need: characters
// outside the alphabet (line ends, spaces) are skipped, the first `=` ends the
// data, and a last group of one character, which cannot hold a byte, is dropped.
std::string DecodeBase64(std::string_view text);

}  // namespace zunka
