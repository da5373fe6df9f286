#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/compositor.h"
#include "platform/image_file.h"
#include "platform/text_renderer.h"
#include "screen/raster.h"

namespace zunka::debugger {

// Drawing the debug window: rectangles, and text in the fixed-pitch Japanese font
// one line at a time. The font is monospaced (a double-byte character two
// columns wide, any other one), so text is cut to a width by counting columns,
// never by measuring, and the views can show listings in aligned columns.
class Painter {
 public:
  // `scale`: device pixels per 96-dpi pixel, for text and controls alike.
  Painter(platform::Image& image, platform::TextRenderer& text, int32_t scale);

  void fill(raster::Rect r, uint32_t argb);
  // A one-pixel edge around a face.
  void box(raster::Rect r, uint32_t edge, uint32_t face);
  // `sjis` with its top-left at (x, y), cut to `maxWidth` pixels (0: no limit).
  void text(int32_t x, int32_t y, std::string_view sjis, uint32_t rgb, int32_t maxWidth = 0);

  int32_t lineHeight() const { return lineHeight_; }
  int32_t columnWidth() const { return columnWidth_; }
  int32_t scale() const { return scale_; }
  int32_t widthOf(std::string_view sjis) const;
  // Metrics without a picture, for laying out before drawing.
  static void metrics(platform::TextRenderer& text, int32_t scale, int32_t& lineHeight,
                      int32_t& columnWidth);

 private:
  platform::Image& image_;
  platform::TextRenderer& renderer_;
  platform::CompositeTarget target_;
  int32_t scale_;
  int32_t lineHeight_ = 16;
  int32_t columnWidth_ = 8;
};

// Columns a Shift_JIS text takes in the fixed-pitch font.
int32_t columnsOf(std::string_view sjis);
// The longest start of `sjis` that fits in `columns`, never splitting a character.
std::string_view fitColumns(std::string_view sjis, int32_t columns);

}  // namespace zunka::debugger
