#pragma once
#include <cstdint>
#include <memory>
#include <unordered_map>

#include "screen/surface.h"

namespace zunka {

// The panels scripts hold, by handle. Sizes are bounded, each side and all panels
// together, so no script can take the player's memory with pictures.
class TPanelTable {
 public:
  static constexpr int32_t kLargestSide = 8192;
  static constexpr int64_t kMostPixels = int64_t(1) << 27;  // 512 MiB of pixels in all

  // A new panel of that size (sides below 0 count as 0) with colour key 0, or
  // nullptr when it would pass the bounds.
  TSurface* Create(int32_t width, int32_t height);
  // Frees a panel; sprites still showing it keep it until they go.
  void Free(TSurface* panel);
  size_t size() const { return panels_.size(); }
  void Clear();

 private:
  std::unordered_map<uint32_t, std::shared_ptr<TSurface>> panels_;
  int64_t pixels_ = 0;
};

}  // namespace zunka
