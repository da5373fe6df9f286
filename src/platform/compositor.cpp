#include "platform/compositor.h"

#include <pixman.h>

#include <algorithm>
#include <cstdint>
#include <utility>

namespace zunka::platform {

CompositeSource::CompositeSource(Image premultiplied) : pixels_(std::move(premultiplied)) {
  handle_ = pixman_image_create_bits(PIXMAN_a8r8g8b8, pixels_.width, pixels_.height,
                                     pixels_.pixels.data(), pixels_.width * 4);
}

CompositeSource::~CompositeSource() {
  if (handle_) pixman_image_unref(static_cast<pixman_image_t*>(handle_));
}

CompositeTarget::CompositeTarget(Image& target) : width_(target.width), height_(target.height) {
  handle_ = pixman_image_create_bits(PIXMAN_a8r8g8b8, target.width, target.height,
                                     target.pixels.data(), target.width * 4);
}

CompositeTarget::~CompositeTarget() {
  if (handle_) pixman_image_unref(static_cast<pixman_image_t*>(handle_));
}

void CompositeTarget::over(const CompositeSource& source, int32_t sx, int32_t sy, int32_t x,
                           int32_t y, int32_t w, int32_t h) {
  if (!handle_ || !source.handle() || w <= 0 || h <= 0) return;
  // Clipped here to the target, in wide arithmetic, so that positions far off the
  // picture never reach the compositor's own coordinate limits.
  int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
  int64_t right = std::min<int64_t>(int64_t(x) + w, width_);
  int64_t bottom = std::min<int64_t>(int64_t(y) + h, height_);
  if (left >= right || top >= bottom) return;
  sx = int32_t(sx + (left - x));
  sy = int32_t(sy + (top - y));
  x = int32_t(left);
  y = int32_t(top);
  w = int32_t(right - left);
  h = int32_t(bottom - top);
  pixman_image_composite32(PIXMAN_OP_OVER, static_cast<pixman_image_t*>(source.handle()), nullptr,
                           static_cast<pixman_image_t*>(handle_), sx, sy, 0, 0, x, y, w, h);
}

}  // namespace zunka::platform
