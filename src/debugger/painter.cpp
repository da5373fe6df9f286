#include "debugger/painter.h"

#include <algorithm>

#include "platform/sjis_text.h"

namespace zunka::debugger {

namespace {

constexpr const char* kFont = "MS Gothic";  // fixed pitch (IPA Gothic here)
constexpr int32_t kPoints = 10;

}  // namespace

int32_t columnsOf(std::string_view sjis) {
  int32_t columns = 0;
  for (size_t i = 0; i < sjis.size();) {
    size_t n = platform::sjisCharLength(sjis, i);
    columns += int32_t(n);
    i += n;
  }
  return columns;
}

std::string_view fitColumns(std::string_view sjis, int32_t columns) {
  size_t i = 0;
  while (i < sjis.size()) {
    size_t n = platform::sjisCharLength(sjis, i);
    if (int32_t(i + n) > columns) break;  // a character's bytes are its columns
    i += n;
  }
  return sjis.substr(0, i);
}

void Painter::metrics(platform::TextRenderer& text, int32_t scale, int32_t& lineHeight,
                      int32_t& columnWidth) {
  auto [w, h] = text.measure(kFont, kPoints * scale, {}, "0000000000");
  // Without a font nothing is drawn, but the window still lays out.
  lineHeight = h > 0 ? h + 2 * scale : 16 * scale;
  columnWidth = w > 0 ? std::max(w / 10, 1) : 8 * scale;
}

Painter::Painter(platform::Image& image, platform::TextRenderer& text, int32_t scale)
    : image_(image), renderer_(text), target_(image), scale_(scale) {
  metrics(text, scale, lineHeight_, columnWidth_);
}

void Painter::fill(raster::Rect r, uint32_t argb) {
  raster::fill(image_, r, argb);
}

void Painter::box(raster::Rect r, uint32_t edge, uint32_t face) {
  raster::fill(image_, r, edge);
  raster::fill(image_, {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, face);
}

void Painter::text(int32_t x, int32_t y, std::string_view sjis, uint32_t rgb, int32_t maxWidth) {
  if (maxWidth > 0) sjis = fitColumns(sjis, maxWidth / columnWidth_);
  if (sjis.empty()) return;
  renderer_.draw(target_, x, y + scale_, kFont, kPoints * scale_, {}, rgb, sjis);
}

int32_t Painter::widthOf(std::string_view sjis) const {
  return columnsOf(sjis) * columnWidth_;
}

}  // namespace zunka::debugger
