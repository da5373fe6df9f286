#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/sjis_text.h"
#include "platform/text_renderer.h"
#include "resources/project_state.h"
#include "resources/resources_state.h"
#include "screen/screen_state.h"
#include "support/picture_files.h"
#include "support/vm_world.h"
#include "vm/tfstring.h"

using namespace zunka;
using namespace zunka::testing;

namespace {

// Width and height as SDL_ttf itself measures `utf8` in `file` at `points`, 96 dpi.
std::pair<int, int> ttfMeasure(const std::string& file, int points, const std::string& utf8) {
  if (TTF_WasInit() == 0) TTF_Init();
  TTF_Font* font = TTF_OpenFontDPI(file.c_str(), points, 96, 96);
  int w = -1, h = -1;
  if (font) TTF_SizeUTF8(font, utf8.c_str(), &w, &h);
  if (font) TTF_CloseFont(font);
  return {w, h};
}

TEST(TextRenderer, WindowsJapaneseFontNamesFindTheIpaFonts) {
  platform::TextRenderer text;
  std::string gothic = text.fontFile("");
  ASSERT_FALSE(gothic.empty());
  EXPECT_EQ(text.fontFile("MS Gothic"), gothic);
  EXPECT_EQ(text.fontFile("ＭＳ ゴシック"), gothic);
  EXPECT_NE(text.fontFile("ＭＳ 明朝"), gothic);
  EXPECT_EQ(text.fontFile("ＭＳ 明朝"), text.fontFile("MS Mincho"));
  EXPECT_NE(text.fontFile("ＭＳ Ｐゴシック"), gothic);
}

TEST(TextRenderer, TextIsMeasuredAsSdlTtfMeasuresItAndDrawnInsideThatBox) {
  platform::TextRenderer text;
  std::string sjis = "Score 12 得点";
  std::string utf8 = platform::sjisToUtf8(sjis);
  for (int points : {9, 12, 24}) {
    auto [w, h] = text.measure("", points, {}, sjis);
    EXPECT_EQ(std::make_pair(int(w), int(h)), ttfMeasure(text.fontFile(""), points, utf8))
        << points;
  }
  auto [w, h] = text.measure("", 12, {}, sjis);
  ASSERT_GT(w, 40);
  platform::Image target = plainPicture(200, 60, 0);
  text.draw(target, 10, 20, "", 12, {}, 0xFFFFFF, sjis);
  int inside = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 200; ++x) {
      bool lit = (target.pixels[size_t(y) * 200 + size_t(x)] & 0xFFFFFF) != 0;
      bool inBox = x >= 10 && x < 10 + w && y >= 20 && y < 20 + h;
      if (lit) {
        ASSERT_TRUE(inBox) << x << "," << y;
      }
      inside += lit;
    }
  EXPECT_GT(inside, 50);
  // Drawn again (here and clipped at the edges): rendered once.
  size_t renders = text.renders();
  text.draw(target, -30, -5, "", 12, {}, 0xFFFFFF, sjis);
  text.draw(target, 190, 55, "", 12, {}, 0xFFFFFF, sjis);
  EXPECT_EQ(text.renders(), renders);
  // Bold is wider.
  EXPECT_GT(text.measure("", 12, {.bold = true}, sjis).first, w);
}

vm::NativeHandler spriteNative(const char* name) {
  for (const auto& [path, table] : resourcesState().nativeTables)
    for (const vm::NativeEntry& e : table)
      if (path == "classes.scr.Sprite" && std::string(e.name) == name) return e.handler;
  return nullptr;
}

TEST(TextSprites, SetTextWithoutColourAndSizeSaysSoAndDrawsInTheCurrentFont) {
  VmWorld::get().console.clear();
  projectState().drawFrame = true;
  ScreenState& screen = screenState();
  screen.sprites.Clear();
  screen.adjustX = screen.adjustY = 0;
  // setFont("MS Mincho", 1)
  std::vector<vm::TValue> font = {vm::TValue::ofInt(1), {}, {}};
  vm::setString(font[1], "MS Mincho");
  spriteNative("_n_setFont")(nullptr, &font[2], 2, 0);
  // setText(5, 6, "abc", 255): four arguments
  std::vector<vm::TValue> args = {
      vm::TValue::ofInt(255), {}, vm::TValue::ofInt(6), vm::TValue::ofInt(5), {}};
  vm::setString(args[1], "abc");
  spriteNative("native_setText")(nullptr, &args[4], 4, 0);
  EXPECT_EQ(VmWorld::get().console.errors, std::vector<std::string>{"SetText...4"});
  ASSERT_EQ(screen.sprites.sprites().size(), 1u);
  const Sprite& s = screen.sprites.sprites()[0];
  EXPECT_EQ(screen.sprites.textOf(s), "abc");
  EXPECT_EQ(screen.sprites.fontNameOf(s), "MS Mincho");
  EXPECT_TRUE(s.fontStyle.bold);
  EXPECT_EQ(s.fontSize, 12);
  EXPECT_EQ(
      screen.sprites.Bounds(s, screen.patterns),
      (raster::Rect{5, 6, 5 + screen.text.measure("MS Mincho", 12, {.bold = true}, "abc").first,
                    6 + screen.text.measure("MS Mincho", 12, {.bold = true}, "abc").second}));
  // textExtent(1, "abc", 20) is the height at 20 points in the current font.
  std::vector<vm::TValue> extent = {vm::TValue::ofInt(20), {}, vm::TValue::ofInt(1), {}};
  vm::setString(extent[1], "abc");
  spriteNative("native_textExtent")(nullptr, &extent[3], 3, 0);
  EXPECT_EQ(extent[3].i, screen.text.measure("MS Mincho", 20, {.bold = true}, "abc").second);
  screen.sprites.Clear();
  screen.fontName.clear();
  screen.fontStyle = {};
  projectState().drawFrame = false;
  for (vm::TValue* v : {&font[1], &args[1], &extent[1]}) vm::release(*v);
}

}  // namespace
