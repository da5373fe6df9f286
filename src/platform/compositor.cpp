#include "platform/compositor.h"

#include <pixman.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

#include "platform/shared_library.h"

namespace zunka::platform {
namespace {

// pixman is opened on the first picture instead of being linked: loading it
// (its start-up chooses SIMD paths and builds its tables) costs more than the
// rest of a short script's start, and runs without pictures never need it.
constexpr const char* kPixmanLibrary = "libpixman-1.so.0";

struct Pixman {
  decltype(&pixman_image_create_bits) createBits = nullptr;
  decltype(&pixman_image_unref) unref = nullptr;
  decltype(&pixman_image_composite32) composite = nullptr;
  std::string error;  // why there are no functions
};

Pixman loadPixman() {
  Pixman calls;
  SharedLibrary library = SharedLibrary::openHostFile(kPixmanLibrary, calls.error);
  if (!library.isOpen()) return calls;
  if (!library.bind(calls.createBits, "pixman_image_create_bits") ||
      !library.bind(calls.unref, "pixman_image_unref") ||
      !library.bind(calls.composite, "pixman_image_composite32")) {
    calls = Pixman{};
    calls.error = std::string(kPixmanLibrary) + " lacks the compositing functions";
  }
  return calls;
}

// The library's functions, or nothing (said once on standard error: the player
// then draws no pictures rather than stopping the game).
const Pixman* pixman() {
  static const Pixman loaded = [] {
    Pixman calls = loadPixman();
    if (!calls.createBits)
      std::fprintf(stderr, "zunka: pictures are not drawn: %s\n", calls.error.c_str());
    return calls;
  }();
  return loaded.createBits ? &loaded : nullptr;
}

}  // namespace

CompositeSource::CompositeSource(Image premultiplied) : pixels_(std::move(premultiplied)) {
  if (const Pixman* calls = pixman())
    handle_ = calls->createBits(PIXMAN_a8r8g8b8, pixels_.width, pixels_.height,
                                pixels_.pixels.data(), pixels_.width * 4);
}

CompositeSource::~CompositeSource() {
  if (handle_) pixman()->unref(static_cast<pixman_image_t*>(handle_));
}

CompositeTarget::CompositeTarget(Image& target) : width_(target.width), height_(target.height) {
  if (const Pixman* calls = pixman())
    handle_ = calls->createBits(PIXMAN_a8r8g8b8, target.width, target.height, target.pixels.data(),
                                target.width * 4);
}

CompositeTarget::~CompositeTarget() {
  if (handle_) pixman()->unref(static_cast<pixman_image_t*>(handle_));
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
  pixman()->composite(PIXMAN_OP_OVER, static_cast<pixman_image_t*>(source.handle()), nullptr,
                      static_cast<pixman_image_t*>(handle_), sx, sy, 0, 0, x, y, w, h);
}

}  // namespace zunka::platform
