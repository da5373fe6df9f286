#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "resources/global_value.h"
#include "resources/resource_tree.h"
#include "resources/snippet_service.h"
#include "resources/tree_fixture.h"
#include "screen/cpattern.h"
#include "screen/screen_state.h"
#include "support/picture_files.h"
#include "support/temp_dir.h"

using namespace zunka;
using namespace zunka::testing;

namespace {

// A sheet of `count` framed 8 × 8 pictures in one row.
std::string sheetFile(int count) {
  platform::Image sheet = plainPicture(count * 12 + 4, 14, 0xFFFFFF);
  for (int i = 0; i < count; ++i)
    drawFramedPicture(sheet, 2 + i * 12, 2, 8, 8, 0xFF00FF, uint32_t(i * 0x101010));
  return bitmapFile(sheet);
}

class PatternSheets : public TreeTest {
 protected:
  void SetUp() override {
    TreeTest::SetUp();
    screenState().patterns.TruncateAt(0);
    screenState().kernelPatternCount = 0;
    sheets =
        static_cast<TResourceList*>(world->add(*world->root, "<resourcelist name=\"patterns\"/>"));
  }
  std::string path(const std::string& name) { return world->dir.system() + "\\" + name; }
  void write(const std::string& name, const std::string& bytes) {
    ASSERT_TRUE(platform::writeFile(path(name), bytes));
  }
  int32_t global(const char* name) {
    vm::TValue* cell = ExistingGlobalCell(name);
    return cell && cell->kind == vm::vtInt ? cell->i : -1;
  }
  TResource* addSheet(const std::string& name, const std::string& file) {
    return world->add(*sheets, "<cpattern name=\"" + name + "\" src=\"" + file + "\"/>");
  }
  TPatternList& patterns() { return screenState().patterns; }

  TResourceList* sheets = nullptr;
};

TEST_F(PatternSheets, SheetsAreNumberedOneAfterAnotherAndTheirVariablesHoldTheFirstNumber) {
  write("ten.bmp", sheetFile(10));
  write("five.bmp", sheetFile(5));
  ASSERT_NE(dynamic_cast<TCPat*>(addSheet("$pat_ten", "ten.bmp")), nullptr);
  addSheet("$pat_five", "five.bmp");
  sheets->Initialize();
  EXPECT_EQ(global("$pat_ten"), 0);
  EXPECT_EQ(global("$pat_five"), 10);
  EXPECT_EQ(patterns().Total(), 15);
  TPatRects* set = nullptr;
  int32_t index = -1;
  ASSERT_TRUE(patterns().Resolve(12, set, index));
  EXPECT_EQ(index, 2);
  EXPECT_EQ(set->elems.size(), 5u);
  EXPECT_EQ(patterns().PatternSize(12), (std::pair<int32_t, int32_t>{8, 8}));
  EXPECT_EQ(patterns().PatternSize(15), (std::pair<int32_t, int32_t>{0, 0}));
  EXPECT_EQ(patterns().PatternSize(-1), (std::pair<int32_t, int32_t>{0, 0}));
  // Truncating at a number drops its sheet and every later one.
  patterns().TruncateAt(12);
  EXPECT_EQ(patterns().Total(), 10);
  patterns().TruncateAt(10);  // names nothing now
  EXPECT_EQ(patterns().Total(), 10);
  patterns().TruncateAt(0);
  EXPECT_EQ(patterns().setCount(), 0u);
}

TEST_F(PatternSheets, AnUnchangedFileIsCutOnceAndAChangedOneAgain) {
  write("sheet.bmp", sheetFile(3));
  addSheet("$pat_a", "sheet.bmp");
  addSheet("$pat_b", "sheet.bmp");
  size_t before = screenState().cache.cuts();
  sheets->Initialize();
  EXPECT_EQ(screenState().cache.cuts(), before + 1);
  EXPECT_EQ(global("$pat_b"), 3);  // the same sheet twice in the list
  write("sheet.bmp", sheetFile(4));
  patterns().TruncateAt(0);
  sheets->Initialize();
  EXPECT_EQ(screenState().cache.cuts(), before + 2);
  EXPECT_EQ(patterns().Total(), 8);
}

TEST_F(PatternSheets, AMissingOrBrokenFileIsReportedAndThePlaceholderTakesItsPlace) {
  ASSERT_TRUE(platform::makeDirectory(path("Kernel\\images")));
  write("Kernel\\images\\404.bmp", sheetFile(1));
  write("broken.bmp", "BM not a bitmap");
  addSheet("$pat_missing", "missing.bmp");
  addSheet("$pat_broken", "broken.bmp");
  addSheet("$pat_after", "missing.bmp");
  sheets->Initialize();
  ASSERT_EQ(console().errors.size(), 3u);
  EXPECT_EQ(console().errors[0],
            path("missing.bmp") + "というキャラクタパターンのファイルはありません");
  EXPECT_NE(console().errors[1].find(path("broken.bmp")), std::string::npos);
  // One placeholder picture each, so the numbers after them stay in place.
  EXPECT_EQ(global("$pat_broken"), 1);
  EXPECT_EQ(global("$pat_after"), 2);
  EXPECT_EQ(patterns().Total(), 3);
}

TEST_F(PatternSheets, ASheetOutsideTheProjectIsRefusedAndThePlaceholderTakesItsPlace) {
  ASSERT_TRUE(platform::makeDirectory(path("Kernel\\images")));
  write("Kernel\\images\\404.bmp", sheetFile(1));
  TempDir outside;
  std::string foreign = outside.write("sheet.bmp", sheetFile(3));
  write("inside.bmp", sheetFile(2));
  addSheet("$pat_foreign", foreign);
  addSheet("$pat_inside", "inside.bmp");
  sheets->Initialize();
  EXPECT_EQ(console().errors,
            (std::vector<std::string>{foreign + "はプロジェクトの外にあるので読み込めません"}));
  EXPECT_EQ(global("$pat_inside"), 1);
  EXPECT_EQ(patterns().Total(), 3);
}

TEST_F(PatternSheets, SheetsWriteTheirTagAndPagesKeepTheKernelsSheets) {
  write("k.bmp", sheetFile(2));
  write("u.bmp", sheetFile(3));
  TResource* kernelSheet = addSheet("$pat_k", "k.bmp");
  std::vector<std::string> lines;
  kernelSheet->WriteTag(lines, " ", 0);
  EXPECT_EQ(lines, std::vector<std::string>{" <cpattern name=\"$pat_k\" src=\"k.bmp\"/>"});

  sheets->Initialize();
  PictureScreen& screen = screenState().screen;
  screen.kernelLoaded();  // no usr.patterns: nothing is loaded again
  EXPECT_EQ(screenState().kernelPatternCount, 2);
  EXPECT_EQ(patterns().Total(), 2);
  auto* usr = static_cast<TResourceList*>(world->add(*world->root, "<resourcelist name=\"usr\"/>"));
  auto* usrSheets =
      static_cast<TResourceList*>(world->add(*usr, "<resourcelist name=\"patterns\"/>"));
  world->add(*usrSheets, "<cpattern name=\"$pat_u\" src=\"u.bmp\"/>");
  usrSheets->Initialize();
  EXPECT_EQ(global("$pat_u"), 2);
  EXPECT_EQ(patterns().Total(), 5);
  screen.resetPatterns();
  EXPECT_EQ(patterns().Total(), 2);
  // Reloading all: the kernel's sheets, then the project's, from 0.
  ReloadAllPatterns();
  EXPECT_EQ(patterns().Total(), 5);
  EXPECT_EQ(global("$pat_k"), 0);
  EXPECT_EQ(global("$pat_u"), 2);
}

TEST_F(PatternSheets, NumbersInSheetsPastTheUsableRangeAreReported) {
  write("one.bmp", sheetFile(1));
  TPatRects& set = screenState().cache.Cut(path("one.bmp"), "");
  for (int i = 0; i < 202; ++i) patterns().Append(set);
  TPatRects* found = nullptr;
  int32_t index = -1;
  EXPECT_TRUE(patterns().Resolve(200, found, index));
  EXPECT_TRUE(console().errors.empty());
  EXPECT_TRUE(patterns().Resolve(201, found, index));
  EXPECT_EQ(console().errors, std::vector<std::string>{"201??"});
}

}  // namespace
