#pragma once
#include <cstdint>

#include "platform/image_file.h"

// The drawing primitives of the screen, on 32-bit pictures in memory (0xAARRGGBB;
// the screen itself is opaque). Everything clips to the target, so no position,
// size or scale a script gives can write outside it.
namespace zunka::raster {

struct Rect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
  bool operator==(const Rect&) const = default;
};

// 00BBGGRR, the form scripts give colours in, as an opaque 0xFFRRGGBB pixel.
inline uint32_t fromScriptColour(int32_t colour) {
  uint32_t c = uint32_t(colour);
  return 0xFF000000u | (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
}

// Fills `r` (nothing when it is empty).
void fill(platform::Image& target, Rect r, uint32_t pixel);

// Copies the whole of `source` with its top-left at (x, y), as it is.
void copy(platform::Image& target, int32_t x, int32_t y, const platform::Image& source);

// Copies `source` rectangle `from` with its top-left at (x, y), leaving out pixels
// of colour `key` (alpha ignored in the comparison) and blending the rest at
// `alpha` (0 to 255) times their own; `mirror` flips it left to right. A part of
// `from` outside the source draws nothing.
void copyKeyed(platform::Image& target, int32_t x, int32_t y, const platform::Image& source,
               Rect from, uint32_t key, bool mirror, int32_t alpha);

// Draws `source` rectangle `from` scaled to `width` × `height` (a negative width
// flips it), rotated by `angle` 256ths of a turn about its centre, with its centre
// at (cx, cy); key pixels left out, the rest blended at `alpha` (0 to 255) times
// their own. Nearest-neighbour sampling keeps pixel art crisp.
void drawTransformed(platform::Image& target, int32_t cx, int32_t cy, const platform::Image& source,
                     Rect from, uint32_t key, int32_t width, int32_t height, int32_t angle,
                     int32_t alpha);

// Copies `source` rectangle `from` stretched into `target` rectangle `to`
// (nearest pixels), leaving out pixels of colour `key`; nothing when either
// rectangle is empty or inverted. Parts outside either picture are left out.
void stretchKeyed(platform::Image& target, Rect to, const platform::Image& source, Rect from,
                  uint32_t key);

// A line from (x1, y1) towards (x2, y2); the end point itself is not set.
void line(platform::Image& target, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t pixel);

}  // namespace zunka::raster
