#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "platform/image_file.h"

namespace zunka::platform {

// Windows and OS/2 bitmaps: 1, 4, 8, 24 and 32 bits per pixel uncompressed, 16
// and 32 bits with bit-field masks, rows bottom-up or top-down. Palette indices
// past the palette read as black; the fourth byte of a plain 32-bit pixel is
// padding, so those pixels are opaque. Run-length compressed bitmaps are refused.
std::optional<Image> decodeBmp(std::string_view bytes, std::string& error);

}  // namespace zunka::platform
