// Panels through their natives, as scripts call them: stamping, growing, copying,
// showing, saving and loading, and what stale or forged handles do.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "resources/project_state.h"
#include "resources/resource_tree.h"
#include "resources/resources_state.h"
#include "screen/panel_natives.h"
#include "screen/screen_state.h"
#include "support/native_call.h"
#include "support/picture_files.h"
#include "support/temp_dir.h"
#include "support/vm_world.h"
#include "vm/tfstring.h"

using namespace zunka;
using namespace zunka::testing;
using vm::TValue;

namespace {

TValue call(const char* name, std::vector<TValue> args) {
  for (const auto& [path, table] : resourcesState().nativeTables)
    if (path == "classes.sys.Panel")
      if (vm::NativeHandler h = findNative(table, name)) {
        std::vector<TValue> slots(args.rbegin(), args.rend());
        slots.push_back(TValue::ofInt(-99));  // `this`: what is left when nothing is set
        h(nullptr, &slots.back(), int32_t(args.size()), 0);
        return slots.back();
      }
  ADD_FAILURE() << name;
  return {};
}

TValue i(int32_t v) {
  return TValue::ofInt(v);
}

class Panels : public ::testing::Test {
 protected:
  void SetUp() override {
    VmWorld::get();  // strings need the core classes
    savedWorkDir = resourceTree().workDir;
    resourceTree().workDir = dir.system();
    screenState().adjustX = screenState().adjustY = 0;
    screenState().patterns.TruncateAt(0);  // pattern 0 is this test's own
  }
  void TearDown() override {
    resourceTree().workDir = savedWorkDir;
    screenState().sprites.Clear();
    screenState().panels.Clear();
    screenState().patterns.TruncateAt(0);
    projectState().drawFrame = false;
  }
  TValue panel(int32_t w, int32_t h) {
    TValue p = call("_n_init", {i(w), i(h)});
    EXPECT_EQ(p.kind, vm::vtHost);
    return p;
  }
  int32_t pixel(TValue p, int32_t x, int32_t y) { return call("_n_getPixel", {p, i(x), i(y)}).i; }

  TempDir dir;
  std::string savedWorkDir;
};

TEST_F(Panels, StampsIgnoreTheDrawingOffsetAndTheFrameAndStayPut) {
  TValue p = panel(40, 30);
  EXPECT_EQ(pixel(p, 0, 0), 0);  // black at first
  screenState().adjustX = 10;
  projectState().drawFrame = false;
  call("_n_fillRect", {p, i(2), i(2), i(6), i(5), i(0x0000FF)});
  EXPECT_EQ(pixel(p, 2, 2), 0x0000FF);  // 00BBGGRR: red
  EXPECT_EQ(pixel(p, 5, 4), 0x0000FF);
  EXPECT_EQ(pixel(p, 6, 4), 0);  // right and bottom exclusive
  call("_n_drawLine", {p, i(10), i(20), i(20), i(20), i(0x00FF00)});
  EXPECT_EQ(pixel(p, 10, 20), 0x00FF00);
  EXPECT_EQ(pixel(p, 20, 20), 0);  // without its end point
  EXPECT_EQ(pixel(p, -1, 0), -1);
  EXPECT_EQ(pixel(p, 40, 0), -1);

  // A 4 × 4 pattern centred on (30, 10), then turned and doubled about (30, 24).
  static TPatRects set;
  set.surface = plainPicture(12, 12, 0xFFFFFF);
  drawFramedPicture(set.surface, 1, 1, 4, 4, 0xFF00FF, 0x123456);
  CutSheet(set);
  ASSERT_EQ(set.elems.size(), 1u);
  ASSERT_EQ(set.elems[0].width(), 4);
  screenState().patterns.Append(set);
  call("_n_drawSprite", {p, i(30), i(10), i(0)});
  EXPECT_EQ(pixel(p, 28, 8), 0x563412);
  EXPECT_EQ(pixel(p, 31, 11), 0x563412);
  EXPECT_EQ(pixel(p, 32, 10), 0);
  call("_n_drawDxSprite", {p, i(30), i(24), i(0), i(0), i(90), TValue::ofFloat(2)});
  EXPECT_EQ(pixel(p, 27, 21), 0x563412);  // 8 × 8 about the centre
  EXPECT_EQ(pixel(p, 33, 27), 0x563412);
  EXPECT_EQ(pixel(p, 25, 24), 0);
  EXPECT_TRUE(screenState().sprites.sprites().empty());  // nothing went to the frame

  call("_n_drawText", {p, i(0), i(0), TValue{}, i(0xFFFFFF), i(12)});  // text of null: "null"
  int lit = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 30; ++x) lit += pixel(p, x, y) != 0 && pixel(p, x, y) != 0x0000FF;
  EXPECT_GT(lit, 10);
}

TEST_F(Panels, GrowingRoundsUpPastTheNext32AndKeepsThePictureClipped) {
  TValue p = panel(100, 100);
  call("_n_fillRect", {p, i(0), i(90), i(100), i(100), i(0xFFFFFF)});
  TValue same = call("_n_resize", {p, i(64), i(64)});
  EXPECT_EQ(same.ref, p.ref);
  TValue grown = call("_n_resize", {p, i(120), i(90)});
  ASSERT_NE(grown.ref, p.ref);
  EXPECT_EQ(call("_n_regetWidth", {grown}).i, 128);
  EXPECT_EQ(call("_n_regetHeight", {grown}).i, 96);
  EXPECT_EQ(pixel(grown, 5, 95), 0xFFFFFF);  // rows 90 to 95 of the old picture
  EXPECT_EQ(pixel(grown, 110, 95), 0);
  // The old handle is stale: it reads as nothing and changes nothing.
  EXPECT_EQ(call("_n_regetWidth", {p}).i, 0);
  EXPECT_EQ(pixel(p, 5, 95), 0);
  call("_n_fillRect", {p, i(0), i(0), i(10), i(10), i(1)});
  EXPECT_EQ(call("_n_resize", {p, i(1), i(1)}).i, 0);
  // Forged numbers and plain integers are no panels either.
  for (TValue forged : {TValue::ofRef(vm::vtHost, grown.ref + 1), i(int32_t(grown.ref))}) {
    EXPECT_EQ(call("_n_regetHeight", {forged}).i, 0);
    call("_n_setTransparentColor", {forged, i(5)});
    call("_n_free", {forged});
  }
  EXPECT_EQ(call("_n_regetWidth", {grown}).i, 128);
  // No panel beyond the bounds: 0, not a picture the size of the memory.
  EXPECT_EQ(call("_n_init", {i(100000), i(100000)}).kind, vm::vtInt);
}

TEST_F(Panels, CopiesStretchAndLeaveOutTheSourcesKey) {
  TValue source = panel(2, 2), target = panel(8, 8);
  call("_n_fillRect", {source, i(0), i(0), i(2), i(2), i(0x00FF00)});
  call("_n_fillRect", {source, i(1), i(1), i(2), i(2), i(0x0000FF)});
  call("_n_setTransparentColor", {source, i(0x0000FF)});
  call("_n_fillRect", {target, i(0), i(0), i(8), i(8), i(0x333333)});
  EXPECT_EQ(call("_n_copyRect", {target, i(2), i(2), i(6), i(6), source, i(0), i(0), i(2), i(2)}).i,
            1);
  EXPECT_EQ(pixel(target, 2, 2), 0x00FF00);
  EXPECT_EQ(pixel(target, 5, 3), 0x00FF00);
  EXPECT_EQ(pixel(target, 4, 4), 0x333333);  // the key quarter, doubled, left out
  EXPECT_EQ(pixel(target, 5, 5), 0x333333);
  EXPECT_EQ(pixel(target, 6, 6), 0x333333);
  // An empty target rectangle copies nothing and still answers 1; a missing
  // source panel leaves the call without a result.
  EXPECT_EQ(call("_n_copyRect", {target, i(0), i(0), i(0), i(8), source, i(0), i(0), i(2), i(2)}).i,
            1);
  EXPECT_EQ(pixel(target, 0, 0), 0x333333);
  EXPECT_EQ(call("_n_copyRect", {target, i(0), i(0), i(8), i(8), i(0), i(0), i(0), i(2), i(2)}).i,
            -99);
}

TEST_F(Panels, SavedPanelsLoadBackAndNamesStayInTheFilesFolder) {
  TValue p = panel(6, 4);
  call("_n_fillRect", {p, i(1), i(1), i(3), i(3), i(0x4080C0)});
  EXPECT_EQ(call("_n_save", {p, TValue{}, i(0), i(0), i(6), i(4)}).i, 1);  // named "null"
  EXPECT_TRUE(platform::fileExists(dir.system() + "\\files\\null"));
  TValue name;
  vm::setString(name, "a/b:c");
  EXPECT_EQ(call("_n_save", {p, name, i(1), i(1), i(4), i(4)}).i, 1);
  EXPECT_TRUE(platform::fileExists(dir.system() + "\\files\\abc"));
  TValue q = panel(1, 1);
  TValue loaded = call("_n_load", {q, name});
  ASSERT_EQ(loaded.kind, vm::vtHost);
  EXPECT_EQ(call("_n_regetWidth", {loaded}).i, 3);
  EXPECT_EQ(call("_n_regetHeight", {loaded}).i, 3);
  EXPECT_EQ(pixel(loaded, 0, 0), 0x4080C0);
  EXPECT_EQ(pixel(loaded, 2, 2), 0);
  EXPECT_EQ(call("_n_regetWidth", {q}).i, 0);  // the old panel is gone

  for (const char* bad : {"..", ".", ":/\\"}) {
    TValue n;
    vm::setString(n, bad);
    EXPECT_EQ(call("_n_save", {p, n, i(0), i(0), i(6), i(4)}).i, 0) << bad;
    vm::release(n);
  }
  EXPECT_EQ(PanelFilePath("x\\..\\..\\y", "\\w"), "\\w\\files\\x....y");

  // A file that is not a picture, or none: 0, and the panel stays as it was.
  platform::writeFile(dir.system() + "\\files\\broken", "BM not really");
  TValue broken;
  vm::setString(broken, "broken");
  EXPECT_EQ(call("_n_load", {loaded, broken}).i, 0);
  vm::setString(broken, "missing");
  EXPECT_EQ(call("_n_load", {loaded, broken}).i, 0);
  EXPECT_EQ(pixel(loaded, 0, 0), 0x4080C0);
  vm::release(broken);
  vm::release(name);
}

TEST_F(Panels, ShowingAppendsAMapSpriteInEveryFrame) {
  TValue p = panel(10, 10);
  screenState().adjustX = 3;
  std::vector<TValue> args = {p,    i(20), i(30), i(10), i(10),  i(0),
                              i(0), i(10), i(10), i(7),  i(255), i(0)};
  call("_n_draw", args);  // not a drawn frame: appended all the same
  ASSERT_EQ(screenState().sprites.sprites().size(), 1u);
  const Sprite& s = screenState().sprites.sprites()[0];
  EXPECT_EQ(s.kind, Sprite::Kind::Map);
  EXPECT_EQ(s.x, 17);
  EXPECT_EQ(s.z, 7);
  EXPECT_FALSE(s.rotated);
  EXPECT_EQ(s.owner.kind, vm::vtNull);  // `this` is no object here: no owner
  call("_n_free", {p});
  call("_n_draw", args);  // a freed panel shows nothing more
  EXPECT_EQ(screenState().sprites.sprites().size(), 1u);
}

}  // namespace
