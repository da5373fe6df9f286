// The player as a user runs it: the bundled project, headless, with a screenshot.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/image_file.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::string readBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Screenshot, TheBundledGameDrawsItsObjectsOnItsBackground) {
  zunka::testing::TempDir base;
  fs::path dir = base.host();
  fs::create_directory_symlink(fs::path(ZUNKA_SOURCE_DIR) / "kernel", dir / "kernel");
  fs::copy(fs::path(ZUNKA_SOURCE_DIR) / "Usr", dir / "Usr", fs::copy_options::recursive);
  fs::path shot = dir / "shot.png";
  std::string command = std::string(ZUNKA_BINARY_DIR) + "/zunka --headless --frames 61 --base '" +
                        dir.string() + "' --screenshot '" + shot.string() + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);

  std::string error;
  std::optional<zunka::platform::Image> image =
      zunka::platform::decodeImage(readBytes(shot), error);
  ASSERT_TRUE(image) << error;
  EXPECT_EQ(image->width, 560);
  EXPECT_EQ(image->height, 381);
  auto at = [&](int x, int y) { return image->pixels[size_t(y) * 560 + size_t(x)] & 0xFFFFFF; };
  const uint32_t sky = 0x87CEEB;  // the Director's $bgcolor, 0xEBCE87 as the script gives it
  EXPECT_EQ(at(0, 0), sky);
  EXPECT_EQ(at(559, 380), sky);
  // In the 61st frame the walker stands centred on (203, 100), 16 × 24: its face
  // above its blue coat (a new spark covers the coat's middle), nothing left of it.
  EXPECT_EQ(at(200, 90), 0xFAC8AAu);
  EXPECT_EQ(at(196, 95), 0x2850C8u);
  EXPECT_EQ(at(194, 95), sky);
  // The frame's key colour never shows.
  for (uint32_t p : image->pixels) ASSERT_NE(p & 0xFFFFFF, 0xFF00FFu);
}

// Arguments a script leaves out cannot be assigned to: the kernel's drawing calls
// fill in their defaults through locals (white, 12 points, depth 0).
TEST(Screenshot, DrawingCallsFillInTheirDefaults) {
  zunka::testing::TempDir base;
  fs::path dir = base.host();
  fs::create_directory_symlink(fs::path(ZUNKA_SOURCE_DIR) / "kernel", dir / "kernel");
  fs::copy(fs::path(ZUNKA_SOURCE_DIR) / "tests/projects/sprite_defaults", dir / "Usr",
           fs::copy_options::recursive);
  fs::path shot = dir / "shot.png";
  std::string command = std::string(ZUNKA_BINARY_DIR) + "/zunka --headless --frames 3 --base '" +
                        dir.string() + "' --screenshot '" + shot.string() + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::string error;
  std::optional<zunka::platform::Image> image =
      zunka::platform::decodeImage(readBytes(shot), error);
  ASSERT_TRUE(image) << error;
  auto at = [&](int x, int y) { return image->pixels[size_t(y) * 560 + size_t(x)] & 0xFFFFFF; };
  EXPECT_EQ(at(3, 1), 0xFFFFFFu);  // the rectangle, white
  EXPECT_EQ(at(1, 1), 0xFFFFFFu);  // the line over it
  int lit = 0;  // the text, white (grey at its edges) on black, about 12 points high
  for (int y = 10; y < 30; ++y)
    for (int x = 10; x < 30; ++x) {
      uint32_t p = at(x, y);
      lit += p != 0;
      EXPECT_TRUE((p & 0xFF) == (p >> 8 & 0xFF) && (p & 0xFF) == (p >> 16)) << "not grey";
    }
  EXPECT_GT(lit, 20);
  EXPECT_EQ(at(15, 40), 0u);
}

}  // namespace
