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
  fs::remove_all(dir / "Usr" / "files");  // what a game saved when played from the source tree
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
  // The title page of the bundled game: the night sky, the grass along the
  // bottom, the gold of the START button's frame.
  EXPECT_EQ(at(0, 0), 0x0E1038u);
  EXPECT_EQ(at(559, 380), 0x245C3Au);
  EXPECT_EQ(at(200, 191), 0xFFE040u);
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
