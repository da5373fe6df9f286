#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "screen/screen_state.h"

using namespace zunka;

// The pixels are made on first use: whoever reaches the game area first finds
// it white at its size, and a resize to the same size keeps what was drawn.
TEST(ScreenState, TheGameAreaIsWhiteAtItsSizeUntilDrawnOn) {
  ScreenState state;
  size_t pixels = size_t(ScreenState::kGameWidth) * size_t(ScreenState::kGameHeight);
  EXPECT_EQ(state.picture().pixels, std::vector<uint32_t>(pixels, 0xFFFFFFFFu));
  state.picture().pixels[7] = 0xFF123456u;
  state.resizePicture(ScreenState::kGameWidth, ScreenState::kGameHeight);
  EXPECT_EQ(state.picture().pixels[7], 0xFF123456u);
  ScreenState other;
  other.resizePicture(4, 3);
  EXPECT_EQ(other.picture().pixels, std::vector<uint32_t>(12, 0xFFFFFFFFu));
}
