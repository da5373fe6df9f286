// The text renderer and its font engine: the engine (the host module's, in the
// player) is opened by the first text and only once, what cannot be had is
// remembered, and without an engine texts measure nothing and draw nothing.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/text_renderer.h"

using namespace zunka::platform;

namespace {

struct EngineLog {
  int engines = 0;
  int opens = 0;
  std::vector<std::string> families;
};

// Every glyph a 6 × 10 block of the text's colour.
class BlockFont final : public RasterFont {
 public:
  int32_t lineHeight() override { return 10; }
  bool measure(const std::string& utf8, int32_t& width, int32_t& height) override {
    width = 6 * int32_t(utf8.size());
    height = 10;
    return true;
  }
  std::optional<Image> render(const std::string& utf8, uint32_t rgb) override {
    Image image;
    measure(utf8, image.width, image.height);
    image.pixels.assign(size_t(image.width) * size_t(image.height), 0xFF000000 | rgb);
    return image;
  }
};

// Knows one family, IPAGothic.
class OneFamilyEngine final : public FontEngine {
 public:
  explicit OneFamilyEngine(EngineLog& log) : log_(log) {}
  std::string fontFile(const std::string& utf8Family) override {
    log_.families.push_back(utf8Family);
    return utf8Family == "IPAGothic" ? "/fonts/gothic.ttf" : "";
  }
  std::unique_ptr<RasterFont> open(const std::string&, int32_t, TextStyle) override {
    ++log_.opens;
    return std::make_unique<BlockFont>();
  }

 private:
  EngineLog& log_;
};

Image blackPicture(int32_t width, int32_t height) {
  return Image{width, height, std::vector<uint32_t>(size_t(width) * size_t(height), 0xFF000000)};
}

TEST(TextRendererEngine, TheEngineIsOpenedByTheFirstTextOnceAndFontsAreLookedUpOnce) {
  EngineLog log;
  TextRenderer text([&] {
    ++log.engines;
    return std::make_unique<OneFamilyEngine>(log);
  });
  // The player makes its renderer at start-up, text or no text.
  EXPECT_EQ(log.engines, 0);

  EXPECT_EQ(text.measure("MS Gothic", 12, {}, "abc"), std::make_pair(18, 10));
  Image picture = blackPicture(20, 12);
  text.draw(picture, 1, 1, "", 12, {}, 0x00FF00, "abc");
  text.draw(picture, 1, 1, "", 12, {}, 0x00FF00, "abc");
  EXPECT_EQ(log.engines, 1);
  EXPECT_EQ(log.opens, 2);  // the same family by two names, each opened once
  EXPECT_EQ(log.families, (std::vector<std::string>{"IPAGothic", "IPAGothic"}));
  EXPECT_EQ(text.renders(), 1u);
  EXPECT_EQ(picture.pixels[0], 0xFF000000u);
  EXPECT_EQ(picture.pixels[1 * 20 + 1], 0xFF00FF00u);
  EXPECT_EQ(picture.pixels[10 * 20 + 18], 0xFF00FF00u);
  EXPECT_EQ(picture.pixels[11 * 20 + 19], 0xFF000000u);

  // A family the host lacks is asked for once, then remembered as missing.
  EXPECT_EQ(text.measure("Nothing Like It", 12, {}, "abc"), std::make_pair(0, 0));
  EXPECT_EQ(text.measure("Nothing Like It", 12, {}, "abc"), std::make_pair(0, 0));
  EXPECT_EQ(log.families.size(), 3u);
  EXPECT_EQ(log.opens, 2);
}

TEST(TextRendererEngine, WithoutAnEngineTextsMeasureNothingDrawNothingAndItIsNotAskedAgain) {
  int tries = 0;
  TextRenderer text([&] {
    ++tries;
    return nullptr;
  });
  Image picture = blackPicture(8, 8);
  for (int frame = 0; frame < 3; ++frame) {
    EXPECT_EQ(text.measure("", 12, {}, "abc"), std::make_pair(0, 0));
    text.draw(picture, 0, 0, "", 12, {}, 0xFFFFFF, "abc");
  }
  EXPECT_EQ(text.fontFile("MS Mincho"), "");
  EXPECT_EQ(tries, 1);
  EXPECT_EQ(text.renders(), 0u);
  EXPECT_EQ(picture.pixels, blackPicture(8, 8).pixels);
}

}  // namespace
