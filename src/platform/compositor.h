#pragma once
#include <cstdint>

#include "platform/image_file.h"

namespace zunka::platform {

// Drawing through the host's compositing library (pixman, with its SIMD paths):
// pictures prepared once as premultiplied sources, composited over targets.

// A source picture: a premultiplied copy of an image, ready to be composited.
class CompositeSource {
 public:
  // `premultiplied` pixels are 0xAARRGGBB with colours already multiplied by alpha.
  explicit CompositeSource(Image premultiplied);
  ~CompositeSource();
  CompositeSource(const CompositeSource&) = delete;
  CompositeSource& operator=(const CompositeSource&) = delete;
  void* handle() const { return handle_; }
  int32_t width() const { return pixels_.width; }
  int32_t height() const { return pixels_.height; }

 private:
  Image pixels_;
  void* handle_ = nullptr;
};

// A target picture, borrowed for as long as this object lives; the image must not
// be resized meanwhile.
class CompositeTarget {
 public:
  explicit CompositeTarget(Image& target);
  ~CompositeTarget();
  CompositeTarget(const CompositeTarget&) = delete;
  CompositeTarget& operator=(const CompositeTarget&) = delete;

  // `source` rectangle (sx, sy, w, h) over the target at (x, y), clipped to both.
  void over(const CompositeSource& source, int32_t sx, int32_t sy, int32_t x, int32_t y, int32_t w,
            int32_t h);

 private:
  void* handle_ = nullptr;
  int32_t width_ = 0, height_ = 0;
};

// The premultiplied form of an 0xAARRGGBB pixel.
inline uint32_t premultiplied(uint32_t p) {
  uint32_t a = p >> 24;
  if (a == 255) return p;
  uint32_t out = p & 0xFF000000u;
  for (int shift : {0, 8, 16}) out |= (((p >> shift & 0xFF) * a + 127) / 255) << shift;
  return out;
}

}  // namespace zunka::platform
