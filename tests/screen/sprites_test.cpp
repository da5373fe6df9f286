#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "platform/files.h"
#include "resources/project_state.h"
#include "resources/resources_state.h"
#include "screen/screen_state.h"
#include "screen/sprite_list.h"
#include "support/picture_files.h"
#include "support/vm_world.h"

using namespace zunka;
using namespace zunka::testing;

namespace {

constexpr uint32_t kKey = 0xFF00FF;

// One sheet of a 16 × 16 picture (pattern 0) in one colour, inside a magenta frame.
TPatRects& sixteenSquare(uint32_t rgb = 0x00FF00) {
  static TPatRects set;
  set.surface = plainPicture(22, 22, 0xFFFFFF);
  drawFramedPicture(set.surface, 1, 1, 16, 16, kKey, rgb);
  // The left column of the picture in another colour, to see mirroring.
  for (int y = 2; y < 18; ++y) set.surface.pixels[size_t(y) * 22 + 2] = 0xFF0000FFu;
  CutSheet(set);
  return set;
}

vm::NativeHandler native(const char* className, const char* name) {
  for (const auto& [path, table] : resourcesState().nativeTables)
    if (path == className)
      for (const vm::NativeEntry& e : table)
        if (std::string(e.name) == name) return e.handler;
  return nullptr;
}

// Calls a drawing native as `self` with the arguments (slot 0 is the target).
void call(const char* className, const char* name, vm::TValue self, std::vector<vm::TValue> args) {
  std::vector<vm::TValue> slots(args.rbegin(), args.rend());
  slots.push_back(self);
  native(className, name)(nullptr, &slots.back(), int32_t(args.size()), 0);
}

std::vector<vm::TValue> ints(std::initializer_list<int32_t> values) {
  std::vector<vm::TValue> out;
  for (int32_t v : values) out.push_back(vm::TValue::ofInt(v));
  return out;
}

class Sprites : public ::testing::Test {
 protected:
  void SetUp() override {
    ScreenState& s = screenState();
    s.sprites.Clear();
    s.patterns.TruncateAt(0);
    s.patterns.Append(sixteenSquare());
    s.adjustX = s.adjustY = 0;
    projectState().drawFrame = true;
    target = plainPicture(200, 150, 0);
  }
  void TearDown() override {
    screenState().adjustX = screenState().adjustY = 0;
    screenState().sprites.Clear();
    screenState().patterns.TruncateAt(0);
    projectState().drawFrame = false;
  }
  void draw() { screenState().sprites.DrawAll(target, screenState().patterns); }
  uint32_t at(int x, int y) const { return target.pixels[size_t(y) * 200 + size_t(x)] & 0xFFFFFF; }
  // The columns of row y that are not black.
  std::vector<int> drawnColumns(int y) const {
    std::vector<int> xs;
    for (int x = 0; x < 200; ++x)
      if (at(x, y) != 0) xs.push_back(x);
    return xs;
  }
  const std::vector<Sprite>& list() { return screenState().sprites.sprites(); }

  platform::Image target;
};

TEST_F(Sprites, APatternIsCentredOnItsPositionLessTheDrawingOffset) {
  call("classes.scr.Sprite", "native_set", {}, ints({0, 100, 100, 0}));
  ASSERT_EQ(list().size(), 1u);
  EXPECT_EQ(screenState().sprites.Bounds(list()[0], screenState().patterns),
            (raster::Rect{92, 92, 108, 108}));
  draw();
  EXPECT_EQ(at(92, 92), 0x0000FFu);  // the blue left column
  EXPECT_EQ(at(107, 107), 0x00FF00u);
  EXPECT_EQ(at(91, 92), 0u);
  EXPECT_EQ(at(108, 107), 0u);
  call("classes.lang.Object", "setAdjust", {}, ints({10, 0}));
  call("classes.scr.Sprite", "native_set", {}, ints({0, 100, 100, 0}));
  EXPECT_EQ(screenState().sprites.Bounds(list()[1], screenState().patterns),
            (raster::Rect{82, 92, 98, 108}));
  // Frames that are not drawn add nothing.
  projectState().drawFrame = false;
  call("classes.scr.Sprite", "native_set", {}, ints({0, 50, 50, 0}));
  EXPECT_EQ(list().size(), 2u);
}

TEST_F(Sprites, SmallerDepthsAreInFrontAndEqualDepthsKeepTheirOrder) {
  // Drawn in the order 0, -3, 5: the picture shows -3 on top, then 0, then 5.
  call("classes.scr.Sprite", "native_fillRect", {}, ints({10, 10, 30, 30, 0x0000FF, 0}));
  call("classes.scr.Sprite", "native_fillRect", {}, ints({20, 20, 40, 40, 0x00FF00, -3}));
  call("classes.scr.Sprite", "native_fillRect", {}, ints({0, 0, 50, 50, 0xFF0000, 5}));
  call("classes.scr.Sprite", "native_fillRect", {}, ints({45, 45, 60, 60, 0x00FFFF, 5}));
  draw();
  EXPECT_EQ(at(25, 25), 0x00FF00u);  // scripts give 00BBGGRR: 0x00FF00 is green
  EXPECT_EQ(at(15, 15), 0xFF0000u);  // 0x0000FF is red
  EXPECT_EQ(at(5, 5), 0x0000FFu);    // 0xFF0000 is blue
  EXPECT_EQ(at(47, 47), 0xFFFF00u);  // drawn after the blue one of the same depth
}

TEST_F(Sprites, ScaledMirroredAndTurnedPatterns) {
  EXPECT_EQ(angleIn256ths(-90), 192);
  EXPECT_EQ(angleIn256ths(90), 64);
  EXPECT_EQ(angleIn256ths(450), 64);
  EXPECT_EQ(angleIn256ths(-720), 0);
  // x, y, pattern, mirror, z, angle, alpha, scaleX
  call("classes.scr.Sprite", "_n_drawDxSprite", {}, ints({100, 40, 0, 0, 0, 0, 255}));
  EXPECT_TRUE(list().empty());  // fewer than eight arguments
  std::vector<vm::TValue> args = ints({100, 40, 0, 0, 0, 0, 255});
  args.push_back(vm::TValue::ofFloat(2));
  call("classes.scr.Sprite", "_n_drawDxSprite", {}, args);
  args[1] = vm::TValue::ofInt(100);
  args[3] = vm::TValue::ofInt(1);  // mirrored: drawn width -31
  call("classes.scr.Sprite", "_n_drawDxSprite", {}, args);
  draw();
  std::vector<int> plain = drawnColumns(30), mirrored = drawnColumns(100);
  EXPECT_EQ(plain.size(), 32u);
  EXPECT_EQ(at(plain.front(), 30), 0x0000FFu);  // the blue column on the left
  EXPECT_EQ(mirrored.size(), 31u);
  EXPECT_EQ(at(mirrored.back(), 100), 0x0000FFu);  // now on the right
  // Bounds ignore the angle and use the truncated scaled size.
  EXPECT_EQ(screenState().sprites.Bounds(list()[0], screenState().patterns),
            (raster::Rect{84, 24, 116, 56}));

  // A quarter turn of a 16 × 8 scaled picture stands 16 high and 8 wide.
  screenState().sprites.Clear();
  target = plainPicture(200, 150, 0);
  args = ints({50, 50, 0, 0, 0, 90, 255});
  args.push_back(vm::TValue::ofFloat(1));
  args.push_back(vm::TValue::ofFloat(0.5));
  call("classes.scr.Sprite", "_n_drawDxSprite", {}, args);
  draw();
  EXPECT_EQ(drawnColumns(50).size(), 8u);
  int tall = 0;
  for (int y = 0; y < 150; ++y) tall += at(50, y) != 0;
  EXPECT_EQ(tall, 16);
}

TEST_F(Sprites, HalfAlphaBlendsAndZeroAlphaDrawsNothing) {
  target = plainPicture(200, 150, 0xFFFFFF);
  std::vector<vm::TValue> args = ints({20, 20, 0, 0, 0, 0, 128});
  args.push_back(vm::TValue::ofFloat(1));
  call("classes.scr.Sprite", "_n_drawDxSprite", {}, args);
  args[0] = vm::TValue::ofInt(60);
  args[6] = vm::TValue::ofInt(0);
  call("classes.scr.Sprite", "_n_drawDxSprite", {}, args);
  draw();
  EXPECT_EQ(at(25, 25), 0x7FFF7Fu);  // green at 128 over white
  EXPECT_EQ(at(65, 25), 0xFFFFFFu);
}

TEST_F(Sprites, LinesLeaveOutTheirEndPointAndNothingDrawsOutsideTheTarget) {
  call("classes.scr.Sprite", "native_drawLine", {}, ints({10, 10, 0, 0, 0xFFFFFF}));
  EXPECT_EQ(screenState().sprites.Bounds(list()[0], screenState().patterns),
            (raster::Rect{0, 0, 10, 10}));
  draw();
  EXPECT_EQ(at(10, 10), 0xFFFFFFu);
  EXPECT_EQ(at(1, 1), 0xFFFFFFu);
  EXPECT_EQ(at(0, 0), 0u);  // the end point is not set

  // Far outside, huge, empty, negative: clipped or nothing, and quickly.
  screenState().sprites.Clear();
  call("classes.scr.Sprite", "native_drawLine", {}, ints({-2000000000, 5, 2000000000, 5}));
  call("classes.scr.Sprite", "native_fillRect", {}, ints({-50, -50, 3, 3, 0x0000FF}));
  call("classes.scr.Sprite", "native_fillRect", {}, ints({150, 120, 140, 100}));
  call("classes.scr.Sprite", "native_set", {}, ints({0, -8, 149, 0}));
  call("classes.scr.Sprite", "native_set", {}, ints({0, 10, 10, 99}));  // no such pattern
  std::vector<vm::TValue> huge = ints({100, 75, 0, 0, 10, 45, 255});
  huge.push_back(vm::TValue::ofFloat(1e9f));
  call("classes.scr.Sprite", "_n_drawDxSprite", {}, huge);
  target = plainPicture(200, 150, 0);
  draw();
  EXPECT_EQ(at(100, 5), 0xFFFFFFu);  // the long line, clipped
  EXPECT_EQ(at(2, 2), 0xFF0000u);
  EXPECT_EQ(screenState().sprites.Bounds(list()[4], screenState().patterns),
            (raster::Rect{10, 10, 11, 11}));
}

TEST_F(Sprites, AnObjectUnderAPointIsReportedOnceWhateverItDrew) {
  TValue a = newObject(VmWorld::get().objectClass), b = newObject(VmWorld::get().objectClass);
  call("classes.scr.Sprite", "native_set", a, ints({0, 50, 50, 0}));
  call("classes.scr.Sprite", "native_fillRect", a, ints({45, 45, 60, 60}));
  call("classes.scr.Sprite", "native_set", b, ints({0, 100, 100, 0}));
  call("classes.scr.Sprite", "native_fillRect", {}, ints({0, 0, 200, 150}));  // no owner
  std::vector<vm::TValue> owners =
      screenState().sprites.OwnersAt({50, 50, 51, 51}, screenState().patterns);
  ASSERT_EQ(owners.size(), 1u);
  EXPECT_EQ(owners[0].ref, a.ref);
  EXPECT_TRUE(screenState().sprites.OwnersAt({150, 5, 151, 6}, screenState().patterns).empty());
  screenState().sprites.Clear();
  vm::release(a);
  vm::release(b);
}

}  // namespace

namespace {

std::string goldenFile(const char* name) {
  std::string bytes;
  platform::readFile(
      platform::systemPath(std::string(ZUNKA_SOURCE_DIR "/tests/screen/golden/") + name), bytes);
  return bytes;
}

// The golden picture is drawn by tools/make_golden_sprites.py from the drawing
// rules alone: centring, mirroring, the transparent key, an exclusive rectangle.
TEST(GoldenSprites, ASceneDrawsExactlyAsTheRulesSay) {
  std::string error;
  static TPatRects set;
  std::optional<platform::Image> sheet = platform::decodeImage(goldenFile("sheet.bmp"), error);
  ASSERT_TRUE(sheet) << error;
  set.surface = std::move(*sheet);
  CutSheet(set);
  ASSERT_EQ(set.elems.size(), 1u);
  ScreenState& screen = screenState();
  screen.sprites.Clear();
  screen.patterns.TruncateAt(0);
  screen.patterns.Append(set);
  Sprite put;
  put.pattern = 0;
  put.x = 10, put.y = 10;
  screen.sprites.Append(put);
  put.x = 30, put.mirror = true;
  screen.sprites.Append(put);
  Sprite rect;
  rect.kind = Sprite::Kind::Rect;
  rect.x = 2, rect.y = 20, rect.x2 = 12, rect.y2 = 26, rect.colour = 0x0000FF;
  screen.sprites.Append(rect);
  platform::Image target = plainPicture(40, 30, 0);
  screen.sprites.DrawAll(target, screen.patterns);
  std::optional<platform::Image> golden = platform::decodeImage(goldenFile("scene.png"), error);
  ASSERT_TRUE(golden) << error;
  ASSERT_EQ(target.width, golden->width);
  for (size_t i = 0; i < target.pixels.size(); ++i)
    ASSERT_EQ(target.pixels[i], golden->pixels[i]) << "at " << i % 40 << "," << i / 40;
  screen.sprites.Clear();
  screen.patterns.TruncateAt(0);
}

}  // namespace
