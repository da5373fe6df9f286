#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/image_file.h"

namespace zunka::platform {

struct TextStyle {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  auto operator<=>(const TextStyle&) const = default;
};

// One opened font at one size and style. Texts are UTF-8.
class RasterFont {
 public:
  virtual ~RasterFont() = default;
  // The height of a line, which is also the height of an empty text.
  virtual int32_t lineHeight() = 0;
  // The box `utf8` is drawn in; false when it cannot be measured.
  virtual bool measure(const std::string& utf8, int32_t& width, int32_t& height) = 0;
  // `utf8` in `rgb` (0xRRGGBB) on transparent pixels, the glyphs' coverage in
  // alpha (not premultiplied); nothing when it cannot be drawn.
  virtual std::optional<Image> render(const std::string& utf8, uint32_t rgb) = 0;
};

// The host's font files and the rasteriser that draws them. It lives in the host
// module, which is loaded on first use: runs that draw no text never load the
// font libraries.
class FontEngine {
 public:
  virtual ~FontEngine() = default;
  // The file of the font family that best matches `utf8Family`; empty when none.
  virtual std::string fontFile(const std::string& utf8Family) = 0;
  // `file` at `pointSize` points (96 dots per inch); nothing when it cannot be opened.
  virtual std::unique_ptr<RasterFont> open(const std::string& file, int32_t pointSize,
                                           TextStyle style) = 0;
};

}  // namespace zunka::platform
