#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "resources/project_state.h"
#include "resources/resource_tree.h"
#include "shell/player_console.h"
#include "support/fake_hosts.h"

using namespace zunka;

namespace {

struct Lines : platform::TextOutput {
  void writeLine(std::string_view utf8) override { lines.emplace_back(utf8); }
  std::vector<std::string> lines;
};

struct Boxes : platform::MessageBoxes {
  explicit Boxes(bool console) : console(console) {}
  void show(std::string_view text, std::string_view caption) override {
    shown.emplace_back(std::string(caption) + "|" + std::string(text));
  }
  bool isConsole() const override { return console; }
  bool console;
  std::vector<std::string> shown;
};

std::string utf8(const char8_t* text) {
  return reinterpret_cast<const char*>(text);
}

class PlayerConsoleTest : public ::testing::Test {
 protected:
  HostState state;
  FakeHosts hooks;
  Lines out, err, log;
  PlayerConsole sink{state, hooks.hosts, out, err};
};

TEST_F(PlayerConsoleTest, PrintGoesToStandardOutputAsUtf8OneLinePerCall) {
  sink.logError("表示テスト", {}, false);
  sink.logError("", {}, false);
  EXPECT_EQ(out.lines, (std::vector<std::string>{utf8(u8"表示テスト"), ""}));
  EXPECT_TRUE(err.lines.empty());
  EXPECT_EQ(sink.shownCount(), 0);
}

TEST_F(PlayerConsoleTest, BytesThatAreNotShiftJisStayVisible) {
  sink.logError(
      "a\xFF"
      "b\x81",
      {}, false);
  EXPECT_EQ(out.lines, std::vector<std::string>{utf8(u8"a\uFFFDb\uFFFD")});
}

TEST_F(PlayerConsoleTest, MessageBoxTextGoesToStandardErrorWithItsTrace) {
  std::string path = ::testing::TempDir() + "traced.zunka";
  // Line 2, column 3: "表" counts as one character.
  std::ofstream(path, std::ios::binary) << "a = 1;\r\n表 x;\r\n";
  Boxes boxes(false);
  sink.setMessageBoxes(&boxes);
  sink.logError("エラー", {{platform::systemPath(path), 11}, {"missing\\file.zunka", 4}}, true);
  EXPECT_TRUE(out.lines.empty());
  EXPECT_EQ(err.lines, (std::vector<std::string>{utf8(u8"エラー"), "  at " + path + ":2:3",
                                                 "  at missing/file.zunka (offset 4)"}));
  EXPECT_EQ(boxes.shown, std::vector<std::string>{"Zunka System|エラー"});
  EXPECT_EQ(sink.shownCount(), 1);
}

TEST_F(PlayerConsoleTest, RelativeTracePathsAreReadAgainstTheBaseDirectory) {
  std::ofstream(::testing::TempDir() + "relative.zunka", std::ios::binary) << "\n\nxy";
  resourceTree().baseDir = platform::systemPath(::testing::TempDir());
  // Offsets count in the CR LF form the compiler reads: "\r\n\r\nxy".
  sink.logError("e", {{"relative.zunka", 5}}, true);
  EXPECT_EQ(err.lines.back(), "  at relative.zunka:3:2");
}

TEST_F(PlayerConsoleTest, ConsoleBoxesAreNotAskedToRepeatTheText) {
  Boxes boxes(true);
  sink.setMessageBoxes(&boxes);
  sink.logError("warn", {}, true);
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(err.lines, std::vector<std::string>{"warn"});
}

TEST_F(PlayerConsoleTest, LogReceivesEveryConsoleLineOnce) {
  sink.setLogOutput(&log);
  sink.log("Starting System..");
  sink.logError("printed", {}, false);
  sink.logError("shown", {}, true);
  EXPECT_EQ(log.lines, (std::vector<std::string>{"Starting System..", "printed", "shown"}));
  EXPECT_EQ(out.lines, std::vector<std::string>{"printed"});
  sink.setLogOutput(&err);  // --log - : the error lines are already there
  sink.logError("again", {}, true);
  EXPECT_EQ(err.lines, (std::vector<std::string>{"shown", "again"}));
}

TEST_F(PlayerConsoleTest, EveryCallKeepsThePlayerAliveAndPumpsOnlyWhileBooting) {
  int renders = 0, pumps = 0, ticks = 0, indicators = 0;
  hooks.onRenderSound = [&] { ++renders; };
  hooks.onPumpMessages = [&] { ++pumps; };
  hooks.onTickLoadingWindow = [&] { ++ticks; };
  hooks.onDrawActivityIndicator = [&] { ++indicators; };
  sink.log("x");
  state.booting = true;
  sink.logError("y", {}, false);
  EXPECT_EQ(renders, 2);
  EXPECT_EQ(ticks, 2);
  EXPECT_EQ(indicators, 2);
  EXPECT_EQ(pumps, 1);
}

}  // namespace

TEST_F(PlayerConsoleTest, AFloodOfReportsShowsEachThreeTimesAndThenHowManyWereLeftOut) {
  Boxes boxes(false);
  sink.setMessageBoxes(&boxes);
  sink.setLogOutput(&log);
  // Two failures taking turns, as processes failing at the nesting limit do; the
  // same text from another place is another report.
  for (int i = 0; i < 1000; ++i) {
    sink.logError("同じ", {{"same\\place.zunka", 1}}, true);
    sink.logError("別", {}, true);
  }
  sink.logError("同じ", {{"other\\place.zunka", 1}}, true);
  sink.finishRepeats();
  sink.finishRepeats();
  std::string same = utf8(u8"同じ"), other = utf8(u8"別");
  std::string here = "  at same/place.zunka (offset 1)";
  std::vector<std::string> expected{
      same,
      here,
      other,
      same,
      here,
      other,
      same,
      here,
      other,
      same,
      "  at other/place.zunka (offset 1)",
      "... " + same + " at same/place.zunka (offset 1) (repeated 997 more times)",
      "... " + other + " (repeated 997 more times)"};
  EXPECT_EQ(err.lines, expected);
  EXPECT_EQ(log.lines, expected);
  EXPECT_EQ(boxes.shown.size(), 7u);
  // Every report still counts as shown: a headless run ends with status 1.
  EXPECT_EQ(sink.shownCount(), 2001);
  // Print lines are never held back.
  for (int i = 0; i < 5; ++i) sink.logError("p", {}, false);
  EXPECT_EQ(out.lines.size(), 5u);
}
