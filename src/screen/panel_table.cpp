#include "screen/panel_table.h"

#include <algorithm>

namespace zunka {

TSurface* TPanelTable::Create(int32_t width, int32_t height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  int64_t pixels = int64_t(width) * height;
  if (width > kLargestSide || height > kLargestSide || pixels_ + pixels > kMostPixels)
    return nullptr;
  auto panel = std::make_shared<TSurface>();
  panel->image.width = width;
  panel->image.height = height;
  panel->image.pixels.assign(size_t(pixels), 0xFF000000u);
  pixels_ += pixels;
  TSurface* raw = panel.get();
  panels_.emplace(raw->handle(), std::move(panel));
  return raw;
}

void TPanelTable::Free(TSurface* panel) {
  auto found = panels_.find(panel->handle());
  if (found == panels_.end()) return;
  pixels_ -= int64_t(panel->image.width) * panel->image.height;
  panel->freed = true;
  panels_.erase(found);
}

void TPanelTable::Clear() {
  for (auto& [handle, panel] : panels_) panel->freed = true;
  panels_.clear();
  pixels_ = 0;
}

}  // namespace zunka
