#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "debug/time_analyzer.h"
#include "debug/time_table.h"

using namespace zunka;
using Order = TTimeAnalyzer::Order;

namespace {

uint32_t fakeNow = 0;
uint32_t fakeTicks() {
  return fakeNow;
}

class TimeAnalyzerTest : public ::testing::Test {
 protected:
  void SetUp() override { fakeNow = 0; }
  // Passes section `s` `times` times, each taking `ms`.
  void pass(int s, int times, uint32_t ms) {
    for (int i = 0; i < times; ++i) {
      analyzer.Begin(s);
      fakeNow += ms;
      analyzer.End(s);
    }
  }
  TTimeAnalyzer analyzer{fakeTicks};
};

TEST_F(TimeAnalyzerTest, NestedPairsCountOnePassFromTheFirstBeginToTheLastEnd) {
  fakeNow = 100;
  analyzer.Begin(10);
  fakeNow = 150;
  analyzer.Begin(10);
  fakeNow = 170;
  analyzer.End(10);
  EXPECT_EQ(analyzer.passCount(10), 0);
  fakeNow = 200;
  analyzer.End(10);
  EXPECT_EQ(analyzer.passCount(10), 1);
  EXPECT_EQ(analyzer.totalMilliseconds(10), 100);
}

TEST_F(TimeAnalyzerTest, TimesAcrossTheTickCounterWrap) {
  fakeNow = 0xFFFFFFF0u;
  analyzer.Begin(3);
  fakeNow = 0x10;
  analyzer.End(3);
  EXPECT_EQ(analyzer.totalMilliseconds(3), 0x20);
}

TEST_F(TimeAnalyzerTest, ColumnsGiveShareOfTheWholeAndAverage) {
  analyzer.Reset();
  pass(45, 4, 10);
  pass(7, 1, 0);
  fakeNow = 160;
  analyzer.Stop();
  EXPECT_EQ(analyzer.column(45, 0), 45);
  EXPECT_EQ(analyzer.column(45, 1), 4);
  EXPECT_EQ(analyzer.column(45, 2), 40);
  EXPECT_EQ(analyzer.column(45, 3), 25);
  EXPECT_EQ(analyzer.column(45, 4), 10);
  EXPECT_EQ(analyzer.column(0, 3), 100);
  EXPECT_EQ(analyzer.column(99, 0), 0);  // never passed: every value 0
  EXPECT_EQ(analyzer.displayOrder(Order::ByNumber), (std::vector<int>{0, 7, 45}));
}

TEST_F(TimeAnalyzerTest, StopWithoutStartLeavesEveryPercentageZero) {
  pass(5, 2, 10);
  analyzer.Stop();
  EXPECT_EQ(analyzer.passCount(0), 0);
  EXPECT_EQ(analyzer.column(5, 3), 0);
  analyzer.Reset();  // a fresh start mends section 0's depth
  fakeNow += 10;
  analyzer.Stop();
  EXPECT_EQ(analyzer.passCount(0), 1);
  EXPECT_EQ(analyzer.passCount(5), 0);
}

TEST_F(TimeAnalyzerTest, ASectionOpenAtResetIsTimedFromTheResetAndCountsOnAfterwards) {
  fakeNow = 100;
  analyzer.Begin(47);
  fakeNow = 130;
  analyzer.Reset();  // Start pressed while the frame's run is stopped
  fakeNow = 135;
  analyzer.End(47);
  EXPECT_EQ(analyzer.passCount(47), 1);
  EXPECT_EQ(analyzer.totalMilliseconds(47), 5);
  pass(47, 2, 10);
  EXPECT_EQ(analyzer.passCount(47), 3);
  EXPECT_EQ(analyzer.totalMilliseconds(47), 25);
  analyzer.Reset();  // again while the whole measurement runs: it starts afresh
  fakeNow += 7;
  analyzer.Stop();
  EXPECT_EQ(analyzer.passCount(0), 1);
  EXPECT_EQ(analyzer.totalMilliseconds(0), 7);
  EXPECT_EQ(analyzer.passCount(47), 0);
}

TEST_F(TimeAnalyzerTest, SortOrdersPutTheLargestFirst) {
  pass(1, 1, 30);  // total 30, average 30, 1 pass
  pass(2, 5, 4);   // total 20, average 4, 5 passes
  pass(3, 2, 25);  // total 50, average 25, 2 passes
  EXPECT_EQ(analyzer.displayOrder(Order::BySumTime), (std::vector<int>{3, 1, 2}));
  EXPECT_EQ(analyzer.displayOrder(Order::ByAverage), (std::vector<int>{1, 3, 2}));
  EXPECT_EQ(analyzer.displayOrder(Order::ByPassTime), (std::vector<int>{2, 3, 1}));
}

TEST_F(TimeAnalyzerTest, SectionNumbersOutsideTheTableAreIgnored) {
  analyzer.Begin(-1);
  analyzer.End(256);
  analyzer.Begin(100000);
  EXPECT_EQ(analyzer.passCount(256), 0);
  EXPECT_TRUE(analyzer.displayOrder(Order::ByNumber).empty());
}

TEST_F(TimeAnalyzerTest, TableHasTheResultColumnsAndOnlySectionsPassed) {
  analyzer.Reset();
  pass(12, 2, 25);
  pass(3, 1, 0);
  fakeNow = 100;
  analyzer.Stop();
  std::string table = formatTimeTable(analyzer, Order::BySumTime);
  EXPECT_EQ(table,
            "No.  通過回数  合計ms    %  1回平均ms\n"
            "  0         1     100  100        100\n"
            " 12         2      50   50         25\n"
            "  3         1       0    0          0\n");
}

TEST(TimeValueText, IsTheShortestDecimalForm) {
  EXPECT_EQ(timeValueText(12.5), "12.5");
  EXPECT_EQ(timeValueText(3), "3");
  EXPECT_EQ(timeValueText(0), "0");
  EXPECT_EQ(timeValueText(100.0 / 3), "33.333333333333336");
}

}  // namespace
