#pragma once
#include <cstdint>
#include <vector>

#include <memory>

#include "platform/compositor.h"
#include "platform/image_file.h"

namespace zunka {

// One picture of a pattern sheet: its rectangle in the sheet (right and bottom
// exclusive) and the colour that is transparent in it, the sheet's pixel at the
// frame's top-left corner (left − 1, top − 1).
struct TPatElem {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  uint32_t colourKey = 0;
  int32_t width() const { return right - left; }
  int32_t height() const { return bottom - top; }
};

// A sheet cut into its pictures, numbered in the order of their top-left corners.
struct TPatRects {
  std::vector<TPatElem> elems;
  platform::Image surface;
  int64_t fileAge = 0;  // the file's stamp when it was cut
  // True when the sheet was cut by its frames; false when it became one picture.
  bool isSheet = true;
  // Where the last frame scan stopped, for diagnosis.
  int32_t failX = 0;
  int32_t failY = 0;
  // The colour key in use for the surface (−2: none yet), changed only when a
  // picture with another key is drawn.
  int64_t currentKey = -2;
  // The sheet premultiplied, each picture's key colour made transparent inside
  // its rectangle: every unmirrored picture is then one composite.
  std::unique_ptr<platform::CompositeSource> keyed;
};

// Cuts `set.surface` into pictures by their one-pixel frames on a plain
// background (the colour of pixel (0, 0); colours within a distance of 32 count
// as background). A frame that cannot be read makes the whole sheet one picture,
// (1, 1) to its bottom-right corner, and says why on the console.
void CutSheet(TPatRects& set);

}  // namespace zunka
