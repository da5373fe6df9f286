// Cutting a pattern sheet into the pictures inside its frames.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/clock.h"
#include "resources/player_hosts.h"
#include "screen/pattern_sheet.h"
#include "vm/console.h"

namespace zunka {
namespace {

// Long cuts keep the music playing: the sound renders at least this often.
constexpr uint32_t kSoundRenderMilliseconds = 100;
constexpr int kBackgroundDistance = 32;

class Sheet {
 public:
  explicit Sheet(TPatRects& set) : set_(set), image_(set.surface) { background_ = pixel(0, 0); }

  void cut() {
    uint32_t rowStarted = platform::tickCount();
    bool accepted = true;
    for (int32_t y = 0; y < image_.height && accepted; ++y) {
      uint32_t now = platform::tickCount();
      if (now - rowStarted > kSoundRenderMilliseconds) playerHosts().sound().render();
      rowStarted = now;
      for (int32_t x = 0; x < image_.width; ++x) {
        if (isBackground(x, y)) continue;
        if (const TPatElem* known = around(x, y)) {
          // Past the picture and its right border: right + 1 is still inside the
          // widened rectangle, so the scan goes on after it.
          x = known->right + 1;
          continue;
        }
        if (!scanFrame(x, y)) {
          Log("fail to q");
          accepted = false;
          break;
        }
      }
    }
    if (!accepted) wholeSheet();
  }

 private:
  uint32_t pixel(int32_t x, int32_t y) const {
    return image_.pixels[size_t(y) * size_t(image_.width) + size_t(x)];
  }
  bool isBackground(int32_t x, int32_t y) const {
    uint32_t p = pixel(x, y), b = background_;
    int distance = 0;
    for (int shift : {0, 8, 16})
      distance += std::abs(int(p >> shift & 0xFF) - int(b >> shift & 0xFF));
    return distance <= kBackgroundDistance;
  }
  // The picture whose rectangle, widened by its frame, holds (x, y).
  const TPatElem* around(int32_t x, int32_t y) const {
    for (const TPatElem& e : set_.elems)
      if (x >= e.left - 1 && x <= e.right + 1 && y >= e.top - 1 && y <= e.bottom + 1) return &e;
    return nullptr;
  }
  bool fail(int32_t x, int32_t y) {
    set_.failX = x;
    set_.failY = y;
    return false;
  }

  // From a frame's top-left corner: the top border to the right, then the right
  // border down (the column past it must stay background). Only those two borders
  // are read.
  bool scanFrame(int32_t x0, int32_t y0) {
    const int32_t w = image_.width, h = image_.height;
    int32_t x = x0;
    while (x < w - 1 && !isBackground(x, y0)) ++x;
    if (x == w - 1) return fail(x, y0);
    int32_t right = x - 1;
    int32_t y = y0;
    while (y < h - 1 && !isBackground(right, y)) {
      if (!isBackground(right + 1, y)) return fail(right, y);
      ++y;
    }
    int32_t lastRow = y - 1;
    int32_t interiorWidth = right - x0 - 1, interiorHeight = lastRow - y0 - 1;
    if (interiorWidth < 1 || interiorHeight < 1) {
      Log("(" + std::to_string(x0) + "," + std::to_string(y0) + ")-(" +
          std::to_string(interiorWidth) + "," + std::to_string(interiorHeight) + ")");
      return false;
    }
    set_.elems.push_back(TPatElem{x0 + 1, y0 + 1, right, lastRow, pixel(x0, y0)});
    return true;
  }

  void wholeSheet() {
    set_.isSheet = false;
    set_.elems.clear();
    set_.elems.push_back(TPatElem{1, 1, image_.width, image_.height, pixel(0, 0)});
  }

  TPatRects& set_;
  const platform::Image& image_;
  uint32_t background_ = 0;
};

}  // namespace

void CutSheet(TPatRects& set) {
  set.isSheet = true;
  set.elems.clear();
  set.keyed.reset();
  if (set.surface.width <= 0 || set.surface.height <= 0) return;
  Sheet(set).cut();
  platform::Image keyed = set.surface;
  for (uint32_t& p : keyed.pixels) p = platform::premultiplied(p);
  for (const TPatElem& e : set.elems) {
    for (int32_t y = std::max(e.top, 0); y < std::min(e.bottom, keyed.height); ++y)
      for (int32_t x = std::max(e.left, 0); x < std::min(e.right, keyed.width); ++x) {
        uint32_t& p = keyed.pixels[size_t(y) * size_t(keyed.width) + size_t(x)];
        size_t at = size_t(y) * size_t(keyed.width) + size_t(x);
        if ((set.surface.pixels[at] & 0xFFFFFF) == (e.colourKey & 0xFFFFFF)) p = 0;
      }
  }
  set.keyed = std::make_unique<platform::CompositeSource>(std::move(keyed));
}

}  // namespace zunka
