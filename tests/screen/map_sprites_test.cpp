// Map sprites (a kept surface drawn wrapped round, or turned) and the sprite
// list's own storage: texts kept per frame, far-off positions.
#include <gtest/gtest.h>

#include "screen/screen_state.h"
#include "screen/sprite_list.h"
#include "screen/surface.h"
#include "support/picture_files.h"

using namespace zunka;
using zunka::testing::plainPicture;

namespace {

// A 20 × 10 map whose column x is coloured x + 1 (blue channel), so that every
// drawn pixel tells which map column it came from; the row y = 0 carries the
// transparent colour in column 3.
TSurface* columnMap() {
  TSurface* map = screenState().panels.Create(20, 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x)
      map->image.pixels[size_t(y) * 20 + size_t(x)] = 0xFF000000u | uint32_t(x + 1);
  map->transparentColour = 4;  // column 3
  return map;
}

Sprite mapSprite(const TSurface& map, int32_t scrollX, int32_t scrollY, int32_t viewWidth,
                 int32_t viewHeight) {
  Sprite s;
  s.kind = Sprite::Kind::Map;
  s.surface = map.handle();
  s.mapWidth = map.image.width;
  s.mapHeight = map.image.height;
  s.scrollX = scrollX;
  s.scrollY = scrollY;
  s.viewWidth = viewWidth;
  s.viewHeight = viewHeight;
  return s;
}

class MapSprites : public ::testing::Test {
 protected:
  void TearDown() override {
    screenState().sprites.Clear();
    screenState().panels.Clear();
  }
  platform::Image drawn(const Sprite& s, int width = 40, int height = 20) {
    TSpriteList& list = screenState().sprites;
    list.Clear();
    list.Append(s);
    platform::Image target = plainPicture(width, height, 0xFFFFFF);
    list.DrawAll(target, screenState().patterns);
    list.Clear();
    return target;
  }
  static uint32_t at(const platform::Image& image, int x, int y) {
    return image.pixels[size_t(y) * size_t(image.width) + size_t(x)] & 0xFFFFFF;
  }
};

TEST_F(MapSprites, TheViewWrapsRoundTheMapInUpToFourPieces) {
  TSurface* map = columnMap();
  // No scroll: one piece, the map as it is, its key colour left out.
  platform::Image one = drawn(mapSprite(*map, 0, 0, 20, 10));
  EXPECT_EQ(at(one, 0, 0), 1u);
  EXPECT_EQ(at(one, 19, 9), 20u);
  EXPECT_EQ(at(one, 3, 5), 0xFFFFFFu);  // transparent
  EXPECT_EQ(at(one, 20, 0), 0xFFFFFFu);

  // Scrolled 5 to the right: the map's first 5 columns come round at the right edge.
  platform::Image two = drawn(mapSprite(*map, 5, 0, 20, 10));
  EXPECT_EQ(at(two, 0, 0), 6u);
  EXPECT_EQ(at(two, 14, 0), 20u);
  EXPECT_EQ(at(two, 15, 0), 1u);
  EXPECT_EQ(at(two, 19, 0), 5u);
  EXPECT_EQ(at(two, 20, 0), 0xFFFFFFu);

  // Scrolled both ways with a view wider than the rest of the map: four pieces.
  Sprite four = mapSprite(*map, 15, 4, 10, 10);
  four.x = 2, four.y = 3;
  platform::Image all = drawn(four);
  EXPECT_EQ(at(all, 2, 3), 16u);   // piece 1: column 15 at the top-left
  EXPECT_EQ(at(all, 6, 8), 20u);   // its last column, map row 9
  EXPECT_EQ(at(all, 2, 9), 16u);   // piece 2: map rows from 0 again below it
  EXPECT_EQ(at(all, 7, 3), 1u);    // piece 3: column 0 to the right
  EXPECT_EQ(at(all, 11, 12), 5u);  // piece 4
  EXPECT_EQ(at(all, 12, 3), 0xFFFFFFu);
  EXPECT_EQ(at(all, 2, 13), 0xFFFFFFu);
}

TEST_F(MapSprites, AlphaBlendsOnlyBelow255AndATurnedMapIsCentred) {
  TSurface* map = columnMap();
  Sprite half = mapSprite(*map, 0, 0, 20, 10);
  half.alpha = 128;
  // Column 0 is blue 1 over white: (1 × 128 + 255 × 127) / 255 rounds to 128.
  EXPECT_EQ(at(drawn(half), 0, 0), 0x7F7F80u);
  half.alpha = 300;
  EXPECT_EQ(at(drawn(half), 0, 0), 1u);
  half.alpha = 0;
  EXPECT_EQ(at(drawn(half), 0, 0), 0xFFFFFFu);

  Sprite turned = mapSprite(*map, 0, 0, 20, 10);
  turned.rotated = true;
  turned.x = 20, turned.y = 10;
  turned.angle = 180;
  platform::Image image = drawn(turned);
  EXPECT_EQ(at(image, 10, 5), 20u);  // the last column now on the left
  EXPECT_EQ(at(image, 29, 14), 1u);
  EXPECT_EQ(at(image, 9, 5), 0xFFFFFFu);
  EXPECT_EQ(screenState().sprites.Bounds(turned, screenState().patterns),
            (raster::Rect{10, 5, 30, 15}));
}

TEST_F(MapSprites, AFreedSurfaceOrWildNumbersDrawNothing) {
  TSurface* map = columnMap();
  Sprite s = mapSprite(*map, 0, 0, 20, 10);
  screenState().panels.Free(map);
  EXPECT_EQ(at(drawn(s), 0, 0), 0xFFFFFFu);
  s.surface = 12345;
  EXPECT_EQ(at(drawn(s), 0, 0), 0xFFFFFFu);

  TSurface* wild = columnMap();
  for (int32_t big : {INT32_MAX, INT32_MIN, -7, 1 << 30}) {
    int32_t other = big == INT32_MIN ? INT32_MAX : -big;
    Sprite w = mapSprite(*wild, big, other, big, big);
    w.x = big;
    w.y = other;
    drawn(w);
    screenState().sprites.Bounds(w, screenState().patterns);
    w.rotated = true;
    w.angle = big;
    drawn(w);
    screenState().sprites.Bounds(w, screenState().patterns);
  }
  // A scroll outside the map leaves the part of a piece beyond the map undrawn.
  Sprite outside = mapSprite(*wild, -3, 0, 20, 10);
  platform::Image image = drawn(outside);
  EXPECT_EQ(at(image, 2, 0), 0xFFFFFFu);
  EXPECT_EQ(at(image, 3, 0), 1u);
}

TEST_F(MapSprites, APanelFreedWhileItsMapShowsKeepsShowingUntilTheListIsEmptied) {
  TSurface* map = columnMap();
  TSpriteList& list = screenState().sprites;
  list.Clear();
  list.Append(mapSprite(*map, 0, 0, 20, 10));
  uint32_t handle = map->handle();
  screenState().panels.Free(map);  // the script lets go; the picture still shows
  platform::Image target = plainPicture(40, 20, 0xFFFFFF);
  list.DrawAll(target, screenState().patterns);
  EXPECT_EQ(at(target, 0, 0), 1u);
  EXPECT_EQ(liveSurface(handle), nullptr);  // but no native reaches it any more
  list.Clear();
  EXPECT_EQ(vm::hostAs<TSurface>(handle), nullptr);  // gone with the list
}

TEST(SpriteListStorage, TextsAreKeptForTheFrameAndCut) {
  TSpriteList& list = screenState().sprites;
  list.Clear();
  Sprite s;
  list.AppendText(s, "Score 10", "MS Gothic");
  std::string longText(10000, 'a');
  list.AppendText(s, longText, "");
  ASSERT_EQ(list.sprites().size(), 2u);
  EXPECT_EQ(list.textOf(list.sprites()[0]), "Score 10");
  EXPECT_EQ(list.fontNameOf(list.sprites()[0]), "MS Gothic");
  EXPECT_EQ(list.textOf(list.sprites()[1]).size(), platform::TextRenderer::kLongestText);
  EXPECT_EQ(list.sprites()[1].kind, Sprite::Kind::Text);
  list.Clear();
  list.AppendText(s, "x", "");
  EXPECT_EQ(list.textOf(list.sprites()[0]), "x");
  list.Clear();
}

TEST(SpriteListStorage, PositionsAtTheEndsOfTheIntegerRangeNeitherOverflowNorDraw) {
  TSpriteList& list = screenState().sprites;
  list.Clear();
  for (int32_t x : {INT32_MAX, INT32_MIN}) {
    Sprite s;
    s.x = s.y = x;
    s.pattern = 12345;
    list.Append(s);
    s.kind = Sprite::Kind::Text;
    list.AppendText(s, "far", "");
  }
  platform::Image target = plainPicture(10, 10, 0);
  list.DrawAll(target, screenState().patterns);
  for (const Sprite& s : list.sprites()) list.Bounds(s, screenState().patterns);
  for (uint32_t p : target.pixels) EXPECT_EQ(p & 0xFFFFFF, 0u);
  list.Clear();
}

}  // namespace
