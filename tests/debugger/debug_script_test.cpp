// The debugger as zunka --headless --debug-script shows it, on the small game in
// stepper/: what a step, a run to an address and a breakpoint stop at, and the
// texts of the listing, the stack, the collector and the tree. Addresses differ
// from build to build, so the expectations come from the player's own listing of
// the same run, never from numbers written here.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// The player prints UTF-8; this file's narrow literals are Shift_JIS.
std::string u8s(const char8_t* text) {
  return reinterpret_cast<const char*>(text);
}

struct Played {
  int status = -1;
  std::vector<std::string> lines;  // standard output
  std::string errors;              // standard error

  // The lines a command printed: those after its "> COMMAND" echo, up to the next echo.
  std::vector<std::string> after(const std::string& command, int occurrence = 1) const {
    std::vector<std::string> out;
    int seen = 0;
    bool in = false;
    for (const std::string& line : lines) {
      if (line.starts_with("> ")) {
        in = line == "> " + command && ++seen == occurrence;
        continue;
      }
      if (in) out.push_back(line);
    }
    return out;
  }
};

std::string readText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

const fs::path kStepper = fs::path(ZUNKA_SOURCE_DIR) / "tests/debugger/stepper";

// Plays a project (the stepper game unless told otherwise) headless for `frames`
// frames with `script` as the debug script.
Played play(const std::string& script, int frames = 4, const fs::path& project = kStepper) {
  zunka::testing::TempDir base;
  fs::path dir = base.host();
  fs::create_directory_symlink(fs::path(ZUNKA_SOURCE_DIR) / "kernel", dir / "kernel");
  fs::copy(project, dir / "Usr", fs::copy_options::recursive);
  std::ofstream(dir / "script.txt") << script;
  std::string command = std::string(ZUNKA_BINARY_DIR) + "/zunka --headless --frames " +
                        std::to_string(frames) + " --base '" + dir.string() + "' --debug-script '" +
                        (dir / "script.txt").string() + "' > '" + (dir / "out.txt").string() +
                        "' 2> '" + (dir / "err.txt").string() + "'";
  Played run;
  int status = std::system(command.c_str());
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.lines = linesOf(readText(dir / "out.txt"));
  run.errors = readText(dir / "err.txt");
  return run;
}

// The listing line a stop shows ("=> ADDRESS:TEXT") as its address.
std::string stopAddress(const std::vector<std::string>& shown) {
  for (const std::string& line : shown)
    if (line.starts_with("=> ")) return line.substr(3, 8);
  return "";
}

// Listing lines "ADDRESS:TEXT" by address, in order.
std::vector<std::pair<std::string, std::string>> listingOf(const std::vector<std::string>& lines) {
  std::vector<std::pair<std::string, std::string>> listing;
  static const std::regex line("^(?:=> |   )?([0-9A-F]{8}):(.*)$");
  for (const std::string& l : lines) {
    std::smatch m;
    if (std::regex_match(l, m, line)) listing.emplace_back(m[1], m[2]);
  }
  return listing;
}

TEST(DebugScript, AStepRunsExactlyOneInstruction) {
  // `add(a, b)` is straight code: each step stops at the next line of its listing,
  // and the stack grows by what each instruction pushes.
  Played run = play(
      "break Stepper.zunka:7\nrun\ncode\nstack\nstep\nstack\nstep\nstep\nstack\nstep\nstep 2\n");
  ASSERT_EQ(run.status, 0) << run.errors;
  auto listing = listingOf(run.after("code"));
  ASSERT_GE(listing.size(), 6u);
  EXPECT_EQ(listing[0].second, "LocalValPtr 0");
  EXPECT_EQ(stopAddress(run.after("run")), listing[0].first);
  for (int i = 1; i <= 3; ++i)
    EXPECT_EQ(stopAddress(run.after("step", i)), listing[size_t(i)].first) << "step " << i;
  EXPECT_EQ(stopAddress(run.after("step", 4)), listing[4].first);  // Add: the sum
  EXPECT_EQ(stopAddress(run.after("step 2")), listing[6].first);   // Subst, Pop
  // Before the first step the frame holds its local; then a pointer to it, then
  // the two arguments (a = 0, b = 1 in the first turn).
  std::vector<std::string> before = run.after("stack", 1), one = run.after("stack", 2),
                           three = run.after("stack", 3);
  ASSERT_GE(three.size(), 4u);
  EXPECT_EQ(one.size(), before.size() + 1);
  EXPECT_EQ(three.size(), before.size() + 3);
  EXPECT_EQ(three[1], "1");  // b, on top
  EXPECT_EQ(three[2], "0");  // a
}

TEST(DebugScript, RunToAnAddressStopsThereEveryTimeItComesRound) {
  Played listed = play("listing Stepper add\n");
  auto listing = listingOf(listed.after("listing Stepper add"));
  ASSERT_GE(listing.size(), 4u);
  ASSERT_EQ(listing[3].second, "Add");
  std::string add = listing[3].first;
  Played run = play("runto $" + add + "\nstack\nrunto $" + add + "\nlocals\nrun\n", 6);
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(stopAddress(run.after("runto $" + add, 1)), add);
  EXPECT_EQ(stopAddress(run.after("runto $" + add, 2)), add);
  // The first stop comes before any turn is printed, the second after one.
  std::vector<std::string> second = run.after("runto $" + add, 2);
  EXPECT_EQ(second.front(), "turn 1 total 1");
  std::vector<std::string> locals = run.after("locals");
  EXPECT_NE(std::find(locals.begin(), locals.end(), "a = 1"), locals.end());
  EXPECT_NE(std::find(locals.begin(), locals.end(), "b = 2"), locals.end());
  // Then it runs free to the end.
  EXPECT_EQ(run.lines.back(), "turn 6 total 21");
}

TEST(DebugScript, ABreakpointOnALineStopsBeforeItsStatementEachTime) {
  Played run = play(
      "break Stepper.zunka:26\nbreak Stepper.zunka:23\nbreak Stepper.zunka:4\nbreaks\n"
      "delete Stepper.zunka:4\nrun\nrun\nlocals\nrun\nwhere\n"
      "delete Stepper.zunka:26\ndelete Stepper.zunka:23\nrun\n");
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.after("break Stepper.zunka:26"),
            std::vector<std::string>{u8s(u8"Stepper.zunka:26 (1箇所)")});
  // A loop's head stops where its test is made; a line without code (the class's
  // extends line) at the next line that has some.
  EXPECT_EQ(run.after("breaks"), (std::vector<std::string>{u8s(u8"Stepper.zunka:26 -> 26 (1箇所)"),
                                                           u8s(u8"Stepper.zunka:23 -> 23 (1箇所)"),
                                                           u8s(u8"Stepper.zunka:4 -> 7 (1箇所)")}));
  EXPECT_EQ(run.after("run", 1).front(), u8s(u8"停止中 Stepper.zunka:23: while (1) {"));
  EXPECT_EQ(run.after("run", 2).front(),
            u8s(u8"停止中 Stepper.zunka:26: print(\"turn \" + turn + \" total \" + total);"));
  std::vector<std::string> locals = run.after("locals");
  EXPECT_NE(std::find(locals.begin(), locals.end(), "turn = 1"), locals.end());
  EXPECT_NE(std::find(locals.begin(), locals.end(), "label = \"counting\""), locals.end());
  // The stopped print has not run yet; it runs when the game goes on, and the
  // loop's test comes round again.
  std::vector<std::string> third = run.after("run", 3);
  ASSERT_EQ(third.size(), 3u);
  EXPECT_EQ(third[0], "turn 1 total 1");
  EXPECT_EQ(third[1], u8s(u8"停止中 Stepper.zunka:23: while (1) {"));
  EXPECT_EQ(run.after("delete Stepper.zunka:26"), std::vector<std::string>{u8s(u8"解除しました")});
  EXPECT_EQ(run.after("run", 4).size(), 3u);  // the turns left, no stop
}

TEST(DebugScript, ListingsAndStackHaveTheirTexts) {
  Played run = play(
      "listing NoSuchClass add\nbreak Stepper.zunka:7\nrun\nstack\nlisting Stepper add\n"
      "listing Stepper\nlisting Stepper nothing\n");
  ASSERT_EQ(run.status, 0) << run.errors;
  // The stack of add(0, 1) called from the main code: the innermost frame first,
  // its values from the top to local 0, then its arguments from the last to the
  // first and `this`; then the main code's frame, the bottom `this` and sp.
  std::vector<std::string> stack = run.after("stack");
  ASSERT_EQ(stack.size(), 13u);
  std::vector<std::string> head(stack.begin(), stack.begin() + 5);
  EXPECT_EQ(head, (std::vector<std::string>{"stacks", "null", "args/this 2", "1", "0"}));
  EXPECT_TRUE(stack[5].starts_with("Stepper@"));
  EXPECT_EQ(stack[6], "stacks");
  EXPECT_EQ(stack[10], "-----------");
  EXPECT_EQ(stack[11], stack[5]);
  EXPECT_TRUE(std::regex_match(stack[12], std::regex("proc\\.sp =[0-9]+")));

  std::vector<std::string> add = run.after("listing Stepper add");
  ASSERT_FALSE(add.empty());
  EXPECT_EQ(add.back(), u8s(u8"[シンボル情報]"));  // add names nothing
  auto listing = listingOf(add);
  EXPECT_EQ(listing.size(), add.size() - 1);
  // Each address is the one before plus the length of its instruction.
  std::map<std::string, int> words = {{"LocalValPtr 0", 2},
                                      {"ArgValPtr_Deref 0", 3},
                                      {"ArgValPtr_Deref 1", 3},
                                      {"Add", 1},
                                      {"Subst", 1},
                                      {"Pop", 1},
                                      {"LocalValPtr_Deref 0", 3},
                                      {"Ret", 1},
                                      {"PushThis", 1}};
  for (size_t i = 1; i < listing.size(); ++i) {
    ASSERT_TRUE(words.count(listing[i - 1].second)) << listing[i - 1].second;
    EXPECT_EQ(std::stoul(listing[i].first, nullptr, 16),
              std::stoul(listing[i - 1].first, nullptr, 16) + 4 * words[listing[i - 1].second]);
  }
  // No such method: the main code, whose symbols name what it calls. (The game's
  // own output follows the last command: only listing and symbol lines count.)
  auto shown = [&](const std::string& command) {
    std::vector<std::string> lines;
    for (const std::string& line : run.after(command))
      if (line.starts_with("op=") || std::regex_match(line, std::regex("[0-9A-F]{8}:.*")))
        lines.push_back(line);
    return lines;
  };
  std::vector<std::string> main = shown("listing Stepper");
  EXPECT_EQ(shown("listing Stepper nothing"), main);
  bool callsAdd = false;
  for (const std::string& line : main)
    callsAdd |= std::regex_match(line, std::regex("op=Op_SCall ,addr=[0-9]+ ,info=add"));
  EXPECT_TRUE(callsAdd);
  EXPECT_TRUE(run.after("listing NoSuchClass add").empty());
}

TEST(DebugScript, TheCollectorDestroysThePairThatOnlyHoldsItself) {
  Played run = play("break Stepper.zunka:24\nrun\ngc\n", 2);
  ASSERT_EQ(run.status, 0) << run.errors;
  std::vector<std::string> gc = run.after("gc");
  ASSERT_GE(gc.size(), 4u);
  EXPECT_EQ(gc[0], "pair 1 destroyed");  // their destructors ran
  EXPECT_EQ(gc[1], "pair 2 destroyed");
  auto statistics = std::find_if(gc.begin(), gc.end(),
                                 [](const std::string& l) { return l.starts_with("// GC="); });
  ASSERT_NE(statistics, gc.end());
  EXPECT_NE(statistics->find(" prc="), std::string::npos);
  std::string destroyed = *(statistics - 1);
  std::string label = u8s(u8"破棄したオブジェクト: ");
  ASSERT_TRUE(destroyed.starts_with(label)) << destroyed;
  EXPECT_GE(std::stoi(destroyed.substr(label.size())), 2);
}

TEST(DebugScript, TheTimeTableCountsTheFrameThatWasStoppedWhenItStarted) {
  // Started while the game is stopped inside a frame: the frame loop's sections
  // still open then are counted once they close, and so is the next frame's draw.
  Played run = play("break Stepper.zunka:26\nrun\ntime start\nrun\ntime stop\n", 3);
  ASSERT_EQ(run.status, 0) << run.errors;
  std::map<int, int> passes;
  for (const std::string& line : run.after("time stop")) {
    std::istringstream row(line);
    int section = -1, count = -1;
    if (row >> section >> count) passes[section] = count;
  }
  EXPECT_EQ(passes[0], 1);   // the whole measurement
  EXPECT_EQ(passes[45], 1);  // the batch that was stopped
  EXPECT_EQ(passes[46], 1);  // its draw
  EXPECT_EQ(passes[47], 1);  // its run of the root process
}

TEST(DebugScript, TreePathsStartAtTheRootAndGoDepthFirst) {
  Played run = play("tree\n", 1);
  ASSERT_EQ(run.status, 0) << run.errors;
  std::vector<std::string> paths = run.after("tree");
  ASSERT_GT(paths.size(), 10u);
  EXPECT_EQ(paths[0], "<root>");
  // Depth first: each path's parent is the path before it or an ancestor of it.
  for (size_t i = 2; i < paths.size(); ++i) {
    size_t dot = paths[i].rfind('.');
    if (dot == std::string::npos) continue;  // a child of the root
    std::string parent = paths[i].substr(0, dot);
    bool follows = paths[i - 1] == parent || paths[i - 1].starts_with(parent + ".");
    EXPECT_TRUE(follows) << paths[i - 1] << " then " << paths[i];
  }
  // The page's own lists in their order in main.cmml.
  auto at = [&](const std::string& p) { return std::find(paths.begin(), paths.end(), p); };
  ASSERT_NE(at("usr"), paths.end());
  EXPECT_EQ(std::vector<std::string>(at("usr"), at("usr") + 5),
            (std::vector<std::string>{"usr", "usr.classes", "usr.classes.Stepper",
                                      "usr.classes.Pair", "usr.gen"}));
}

TEST(DebugScript, ClosingThePlayerWhileStoppedEndsItThere) {
  Played run = play("break Stepper.zunka:26\nrun\nclose\n", 100);
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.lines.back(), "> close");
  for (const std::string& line : run.lines) EXPECT_FALSE(line.starts_with("turn")) << line;
}

TEST(DebugScript, TheConsoleLineReadsTheStoppedFrameAndItsObject) {
  Played run = play(
      "break Stepper.zunka:7\nrun\neval a * 100 + b\neval label\neval turn = turn + 10\n"
      "eval if (turn > 0) print(\"side effect\");\neval 1 +\neval nosuch()\nrun\n",
      2);
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.after("eval a * 100 + b"), std::vector<std::string>{"= 1"});
  EXPECT_EQ(run.after("eval label"), std::vector<std::string>{"= \"counting\""});
  EXPECT_EQ(run.after("eval turn = turn + 10"), std::vector<std::string>{"= 11"});
  EXPECT_EQ(run.after("eval if (turn > 0) print(\"side effect\");"),
            (std::vector<std::string>{"side effect", u8s(u8"= (実行しました)")}));
  EXPECT_TRUE(run.after("eval 1 +").at(0).starts_with("! "));
  EXPECT_EQ(run.after("eval nosuch()"),
            std::vector<std::string>{u8s(u8"! メソッドnosuchは未定義です")});
  // The assignment to the member lasted.
  EXPECT_EQ(run.after("run", 2).front(), "turn 11 total 1");
}

TEST(DebugScript, TheBundledGameStopsInItsTitleScreensDrawAndStepsThroughIt) {
  // The header line of draw() has no code: the breakpoint stops at its first
  // statement, every frame the title is drawn.
  std::ifstream source(fs::path(ZUNKA_SOURCE_DIR) / "Usr/TitleScreen.zunka");
  int line = 0, header = 0;
  for (std::string text; std::getline(source, text) && !header;) {
    ++line;
    if (text.starts_with("function draw()")) header = line;
  }
  ASSERT_GT(header, 0);
  std::string at = "TitleScreen.zunka:" + std::to_string(header);
  Played run =
      play("break " + at + "\nrun\ncode\nstep\nstep\nrun\n", 3, fs::path(ZUNKA_SOURCE_DIR) / "Usr");
  ASSERT_EQ(run.status, 0) << run.errors;
  auto listing = listingOf(run.after("code"));
  size_t first = 0;
  while (first < listing.size() && listing[first].first != stopAddress(run.after("run", 1)))
    ++first;
  ASSERT_LT(first + 2, listing.size());
  std::vector<std::string> stop = run.after("run", 1);  // after what the game printed
  EXPECT_NE(std::find_if(stop.begin(), stop.end(),
                         [](const std::string& l) {
                           return l.starts_with(u8s(u8"停止中 TitleScreen.zunka:"));
                         }),
            stop.end());
  EXPECT_EQ(stopAddress(run.after("step", 1)), listing[first + 1].first);
  EXPECT_EQ(stopAddress(run.after("step", 2)), listing[first + 2].first);
  // And the next frame's draw stops there again.
  EXPECT_EQ(stopAddress(run.after("run", 2)), listing[first].first);
}

TEST(DebugScript, AScriptThatCannotBeReadStopsThePlayerBeforeItStarts) {
  std::string command = std::string(ZUNKA_BINARY_DIR) +
                        "/zunka --headless --frames 1 --debug-script /no/such/script > /dev/null "
                        "2>&1";
  int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
}

}  // namespace
