#pragma once
// Pictures for tests, drawn in memory and written as 24-bit bitmaps.
#include <cstdint>
#include <string>

#include "platform/image_file.h"

namespace zunka::testing {

// A `width` × `height` picture in one colour (0xRRGGBB, opaque).
platform::Image plainPicture(int width, int height, uint32_t rgb);

// Draws a one-pixel frame in `frameRgb` whose top-left corner is (x0, y0), around
// an interior of `w` × `h` pixels filled with `fillRgb`.
void drawFramedPicture(platform::Image& image, int x0, int y0, int w, int h, uint32_t frameRgb,
                       uint32_t fillRgb);

// The picture as the bytes of a bottom-up 24-bit bitmap file.
std::string bitmapFile(const platform::Image& image);

}  // namespace zunka::testing
