#include "screen/raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zunka::raster {
namespace {

constexpr uint32_t kRgb = 0xFFFFFF;

// `top` over `under`, `top`'s alpha scaled by `alpha` (0 to 255); the result is opaque
// where `under` is. Red and blue are weighed together in one word, then green, each
// channel rounded as x / 255 to the nearest.
inline uint32_t blend(uint32_t under, uint32_t top, uint32_t alpha) {
  uint32_t topAlpha = top >> 24;
  uint32_t a = topAlpha == 255 ? alpha : topAlpha * alpha / 255;
  if (a == 255) return top;
  if (a == 0) return under;
  uint32_t rb = (top & 0xFF00FF) * a + (under & 0xFF00FF) * (255 - a) + 0x800080;
  rb = (rb + (rb >> 8 & 0xFF00FF)) >> 8 & 0xFF00FF;
  uint32_t g = (top >> 8 & 0xFF) * a + (under >> 8 & 0xFF) * (255 - a) + 0x80;
  g = (g + (g >> 8)) >> 8 & 0xFF;
  return (under & 0xFF000000u) | rb | g << 8;
}

bool clip(const platform::Image& image, Rect& r) {
  r.left = std::max(r.left, 0);
  r.top = std::max(r.top, 0);
  r.right = std::min(r.right, image.width);
  r.bottom = std::min(r.bottom, image.height);
  return r.left < r.right && r.top < r.bottom;
}

}  // namespace

void fill(platform::Image& target, Rect r, uint32_t pixel) {
  if (!clip(target, r)) return;
  for (int32_t y = r.top; y < r.bottom; ++y) {
    uint32_t* row = target.pixels.data() + size_t(y) * size_t(target.width);
    std::fill(row + r.left, row + r.right, pixel);
  }
}

void copy(platform::Image& target, int32_t x, int32_t y, const platform::Image& source) {
  Rect to{x, y, x + source.width, y + source.height};
  if (!clip(target, to)) return;
  for (int32_t ty = to.top; ty < to.bottom; ++ty) {
    const uint32_t* src =
        source.pixels.data() + size_t(ty - y) * size_t(source.width) + size_t(to.left - x);
    std::copy(src, src + (to.right - to.left),
              target.pixels.data() + size_t(ty) * size_t(target.width) + size_t(to.left));
  }
}

void copyKeyed(platform::Image& target, int32_t x, int32_t y, const platform::Image& source,
               Rect from, uint32_t key, bool mirror, int32_t alpha) {
  if (alpha <= 0) return;
  alpha = std::min(alpha, 255);
  // What lies outside the source draws nothing: the visible part keeps its place.
  Rect inside = from;
  if (!clip(source, inside)) return;
  int32_t w = inside.right - inside.left, h = inside.bottom - inside.top;
  int64_t shiftX = mirror ? int64_t(from.right) - inside.right : int64_t(inside.left) - from.left;
  int64_t left = x + shiftX, top = y + (int64_t(inside.top) - from.top);
  if (left >= target.width || top >= target.height || left + w <= 0 || top + h <= 0) return;
  Rect to{int32_t(left), int32_t(top), int32_t(left + w), int32_t(top + h)};
  int32_t x0 = to.left, y0 = to.top;
  clip(target, to);
  key &= kRgb;
  for (int32_t ty = to.top; ty < to.bottom; ++ty) {
    const uint32_t* src = source.pixels.data() +
                          size_t(inside.top + ty - y0) * size_t(source.width) + size_t(inside.left);
    uint32_t* dst = target.pixels.data() + size_t(ty) * size_t(target.width);
    for (int32_t tx = to.left; tx < to.right; ++tx) {
      int32_t sx = mirror ? w - 1 - (tx - x0) : tx - x0;
      uint32_t p = src[sx];
      if ((p & kRgb) == key) continue;
      dst[tx] = (p >> 24) == 255 && alpha == 255 ? p : blend(dst[tx], p, uint32_t(alpha));
    }
  }
}

void drawTransformed(platform::Image& target, int32_t cx, int32_t cy, const platform::Image& source,
                     Rect from, uint32_t key, int32_t width, int32_t height, int32_t angle,
                     int32_t alpha) {
  if (!clip(source, from) || width == 0 || height <= 0 || alpha <= 0) return;
  alpha = std::min(alpha, 255);
  int32_t sw = from.right - from.left, sh = from.bottom - from.top;
  double theta = (angle & 255) * (2 * M_PI / 256);
  double c = std::cos(theta), s = std::sin(theta);
  double halfW = std::abs(width) / 2.0, halfH = height / 2.0;
  // The drawn rectangle's corners after rotation bound the target pixels to visit.
  double extentX = std::abs(c) * halfW + std::abs(s) * halfH;
  double extentY = std::abs(s) * halfW + std::abs(c) * halfH;
  // Bounded before conversion: a drawn size of any magnitude stays arithmetic.
  auto bound = [](double v) { return int32_t(std::clamp(v, -1e9, 1e9)); };
  Rect to{bound(std::floor(cx - extentX)), bound(std::floor(cy - extentY)),
          bound(std::ceil(cx + extentX) + 1), bound(std::ceil(cy + extentY) + 1)};
  if (!clip(target, to)) return;
  double scaleX = double(sw) / width, scaleY = double(sh) / height;  // source per target pixel
  // Source coordinates move by a constant step per target pixel along a row.
  double stepX = c * scaleX, stepY = -s * scaleY;
  double offsetX = width < 0 ? -halfW : halfW;
  for (int32_t ty = to.top; ty < to.bottom; ++ty) {
    uint32_t* dst = target.pixels.data() + size_t(ty) * size_t(target.width);
    // The first pixel's centre, rotated back into the unrotated drawn rectangle; a
    // negative width counts source columns from the right edge.
    double dx = to.left + 0.5 - cx, dy = ty + 0.5 - cy;
    double fx = (c * dx + s * dy + offsetX) * scaleX;
    double fy = (-s * dx + c * dy + halfH) * scaleY;
    // Only the stretch of the row whose source point lies in the picture is walked
    // (widened by a pixel against rounding; the test below stays exact).
    double first = 0, last = to.right - to.left;
    auto keepInside = [&](double start, double step, double size) {
      if (step == 0) {
        if (!(start >= 0 && start < size)) last = -1;
        return;
      }
      double a = (0 - start) / step, b = (size - start) / step;
      if (a > b) std::swap(a, b);
      first = std::max(first, std::floor(a) - 1);
      last = std::min(last, std::ceil(b) + 1);
    };
    keepInside(fx, stepX, sw);
    keepInside(fy, stepY, sh);
    if (last <= first) continue;
    int32_t begin = to.left + int32_t(first), end = to.left + int32_t(last);
    fx += stepX * first;
    fy += stepY * first;
    for (int32_t tx = begin; tx < end; ++tx, fx += stepX, fy += stepY) {
      if (!(fx >= 0 && fx < sw && fy >= 0 && fy < sh)) continue;
      uint32_t p = source.pixels[size_t(from.top + int32_t(fy)) * size_t(source.width) +
                                 size_t(from.left + int32_t(fx))];
      if ((p & kRgb) == (key & kRgb)) continue;
      dst[tx] = (p >> 24) == 255 && alpha == 255 ? p : blend(dst[tx], p, uint32_t(alpha));
    }
  }
}

void stretchKeyed(platform::Image& target, Rect to, const platform::Image& source, Rect from,
                  uint32_t key) {
  int64_t toWidth = int64_t(to.right) - to.left, toHeight = int64_t(to.bottom) - to.top;
  int64_t fromWidth = int64_t(from.right) - from.left, fromHeight = int64_t(from.bottom) - from.top;
  if (toWidth <= 0 || toHeight <= 0 || fromWidth <= 0 || fromHeight <= 0) return;
  Rect visible = to;
  if (!clip(target, visible)) return;
  key &= kRgb;
  for (int32_t ty = visible.top; ty < visible.bottom; ++ty) {
    // The source row whose band the target row's centre falls in.
    int64_t sy = from.top + ((int64_t(ty) - to.top) * 2 + 1) * fromHeight / (toHeight * 2);
    if (sy < 0 || sy >= source.height) continue;
    const uint32_t* src = source.pixels.data() + size_t(sy) * size_t(source.width);
    uint32_t* dst = target.pixels.data() + size_t(ty) * size_t(target.width);
    for (int32_t tx = visible.left; tx < visible.right; ++tx) {
      int64_t sx = from.left + ((int64_t(tx) - to.left) * 2 + 1) * fromWidth / (toWidth * 2);
      if (sx < 0 || sx >= source.width) continue;
      uint32_t p = src[sx];
      if ((p & kRgb) != key) dst[tx] = p | 0xFF000000u;
    }
  }
}

void line(platform::Image& target, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t pixel) {
  // Point i of n steps is the start moved i/n of the way, rounded; only the steps
  // whose point can lie on the target are visited, so a line of any length costs
  // at most the target's size.
  double dx = double(x2) - x1, dy = double(y2) - y1;
  int64_t steps = int64_t(std::max(std::abs(dx), std::abs(dy)));
  if (steps == 0) return;
  double first = 0, last = 1;  // the part of the segment inside the target, widened a pixel
  auto narrow = [&](double p, double q) {  // keeps the t with p * t <= q
    if (p == 0) return q >= 0;
    double t = q / p;
    if (p < 0)
      first = std::max(first, t);
    else
      last = std::min(last, t);
    return first <= last;
  };
  if (!narrow(-dx, x1 + 1.0) || !narrow(dx, target.width - x1 + 0.0) || !narrow(-dy, y1 + 1.0) ||
      !narrow(dy, target.height - y1 + 0.0))
    return;
  int64_t from = std::max<int64_t>(0, int64_t(std::floor(first * steps)) - 1);
  int64_t to = std::min<int64_t>(steps, int64_t(std::ceil(last * steps)) + 1);
  for (int64_t i = from; i < to; ++i) {
    int64_t x = x1 + std::llround(dx * double(i) / double(steps));
    int64_t y = y1 + std::llround(dy * double(i) / double(steps));
    if (x >= 0 && y >= 0 && x < target.width && y < target.height)
      target.pixels[size_t(y) * size_t(target.width) + size_t(x)] = pixel;
  }
}

}  // namespace zunka::raster
