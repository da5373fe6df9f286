#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "screen/pattern_sheet.h"
#include "support/picture_files.h"
#include "support/vm_world.h"

using namespace zunka;
using zunka::testing::drawFramedPicture;
using zunka::testing::plainPicture;
using zunka::testing::VmWorld;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kKey = 0xFF00FF;

struct Rect {
  int32_t left, top, right, bottom;
  bool operator==(const Rect&) const = default;
};

std::vector<Rect> rectsOf(const TPatRects& set) {
  std::vector<Rect> rects;
  for (const TPatElem& e : set.elems) rects.push_back({e.left, e.top, e.right, e.bottom});
  return rects;
}

class PatternCutting : public ::testing::Test {
 protected:
  void SetUp() override { VmWorld::get().console.clear(); }
  TPatRects cut(platform::Image image) {
    TPatRects set;
    set.surface = std::move(image);
    CutSheet(set);
    return set;
  }
  std::vector<std::string>& logLines() { return VmWorld::get().console.logLines; }
};

TEST_F(PatternCutting, FramedPicturesBecomeTheirInteriorsKeyedByTheFrameColour) {
  platform::Image sheet = plainPicture(60, 24, kWhite);
  drawFramedPicture(sheet, 2, 2, 16, 16, kKey, 0x102030);
  drawFramedPicture(sheet, 24, 2, 16, 16, kKey, 0x405060);
  TPatRects set = cut(sheet);
  EXPECT_TRUE(set.isSheet);
  EXPECT_EQ(rectsOf(set), (std::vector<Rect>{{3, 3, 19, 19}, {25, 3, 41, 19}}));
  for (const TPatElem& e : set.elems) {
    EXPECT_EQ(e.colourKey, 0xFF000000u | kKey);
    EXPECT_EQ(e.width(), 16);
    EXPECT_EQ(e.height(), 16);
  }
  EXPECT_TRUE(logLines().empty());
}

TEST_F(PatternCutting, PicturesAreNumberedByTheRowOfTheirTopBorderThenFromTheLeft) {
  platform::Image sheet = plainPicture(40, 40, kWhite);
  drawFramedPicture(sheet, 2, 20, 4, 4, kKey, 0x000080);   // lower left
  drawFramedPicture(sheet, 20, 2, 4, 4, kKey, 0x008000);   // upper right
  drawFramedPicture(sheet, 10, 10, 4, 4, kKey, 0x800000);  // middle
  drawFramedPicture(sheet, 20, 20, 6, 3, kKey, 0x808000);  // lower right, same row
  TPatRects set = cut(sheet);
  EXPECT_EQ(rectsOf(set), (std::vector<Rect>{
                              {21, 3, 25, 7}, {11, 11, 15, 15}, {3, 21, 7, 25}, {21, 21, 27, 24}}));
}

TEST_F(PatternCutting, NearBackgroundColoursAreBackground) {
  platform::Image sheet = plainPicture(30, 20, kWhite);
  // Distance 5 + 5 + 10 = 20 from white: background, never the start of a frame.
  for (int x = 0; x < 30; ++x) sheet.pixels[size_t(15) * 30 + size_t(x)] = 0xFFFAFAF5u;
  drawFramedPicture(sheet, 3, 2, 5, 5, kKey, 0);
  TPatRects set = cut(sheet);
  EXPECT_TRUE(set.isSheet);
  EXPECT_EQ(rectsOf(set), (std::vector<Rect>{{4, 3, 9, 8}}));
}

TEST_F(PatternCutting, FramesThatCannotBeReadMakeTheSheetOnePicture) {
  // A frame touching another on its right (the other's top border lower down).
  platform::Image touching = plainPicture(40, 20, kWhite);
  drawFramedPicture(touching, 2, 2, 6, 6, kKey, 0);
  drawFramedPicture(touching, 10, 4, 6, 6, kKey, 0);
  TPatRects set = cut(touching);
  EXPECT_FALSE(set.isSheet);
  EXPECT_EQ(rectsOf(set), (std::vector<Rect>{{1, 1, 40, 20}}));
  EXPECT_EQ(set.elems[0].colourKey, 0xFF000000u | kWhite);
  EXPECT_EQ(logLines(), std::vector<std::string>{"fail to q"});

  // A photograph: no background anywhere near its first pixel's colour.
  logLines().clear();
  platform::Image photo = plainPicture(9, 7, 0);
  for (size_t i = 1; i < photo.pixels.size(); ++i)
    photo.pixels[i] = 0xFF000000u | uint32_t(0x406080 + i * 0x010203);
  set = cut(photo);
  EXPECT_FALSE(set.isSheet);
  EXPECT_EQ(rectsOf(set), (std::vector<Rect>{{1, 1, 9, 7}}));
  EXPECT_EQ(set.elems[0].colourKey, 0xFF000000u);

  // A frame with nothing inside: its size is logged.
  logLines().clear();
  platform::Image empty = plainPicture(20, 20, kWhite);
  drawFramedPicture(empty, 4, 5, 0, 3, kKey, 0);
  set = cut(empty);
  EXPECT_FALSE(set.isSheet);
  EXPECT_EQ(logLines(), (std::vector<std::string>{"(4,5)-(0,3)", "fail to q"}));

  // A top border running to the last column: the scan stops there.
  logLines().clear();
  platform::Image edge = plainPicture(12, 12, kWhite);
  for (int x = 3; x < 12; ++x) edge.pixels[size_t(2) * 12 + size_t(x)] = 0xFF000000u | kKey;
  set = cut(edge);
  EXPECT_FALSE(set.isSheet);
  EXPECT_EQ(set.failX, 11);
  EXPECT_EQ(set.failY, 2);
}

}  // namespace

namespace {

TEST(KernelPictures, ThePlaceholderIsOneFramedPicture) {
  std::string bytes, error;
  ASSERT_TRUE(
      platform::readFile(platform::systemPath(ZUNKA_SOURCE_DIR "/kernel/images/404.bmp"), bytes));
  std::optional<platform::Image> image = platform::decodeImage(bytes, error);
  ASSERT_TRUE(image) << error;
  TPatRects set;
  set.surface = std::move(*image);
  CutSheet(set);
  EXPECT_TRUE(set.isSheet);
  ASSERT_EQ(set.elems.size(), 1u);
  EXPECT_EQ(set.elems[0].width(), 32);
  EXPECT_EQ(set.elems[0].height(), 32);
}

}  // namespace
