#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "resources/source_position.h"

namespace zunka::test {
namespace {

struct CheckRun {
  int status = -1;
  std::string out;
  std::string err;
};

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs the built player's --check on a file holding `source` (test literals
// are already Shift_JIS, as class sources are stored).
CheckRun check(const std::string& name, const std::string& source) {
  std::string dir = testing::TempDir();
  std::string path = dir + name;
  std::ofstream(path, std::ios::binary) << source;
  // Output files per test and process: ctest runs tests side by side.
  std::string output = path + "." + std::to_string(getpid());
  std::string command = std::string(ZUNKA_BINARY_DIR) + "/zunka --check " + path + " >" + output +
                        ".out 2>" + output + ".err";
  CheckRun run;
  int raw = std::system(command.c_str());
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = readFile(output + ".out");
  run.err = readFile(output + ".err");
  return run;
}

std::string utf8(const char8_t* text) {
  return reinterpret_cast<const char*>(text);
}

TEST(CheckCommand, IsSilentOnASourceThatParses) {
  CheckRun run = check("good.zunka",
                       "extends classes.lang.Object;\r\n// 表示\r\nfunction f(a) {\r\n"
                       "  var x;\r\n  x = \"ソ\" + a;\r\n  return x;\r\n}\r\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "");
}

TEST(CheckCommand, NamesTheLastAcceptedTokenOfAGrammarError) {
  // Line 2: 表 = "ソ" + ;  the "+" is accepted last; it is the 9th character
  // (11th byte) because 表 and ソ are one character each.
  std::string path = testing::TempDir() + "bad.zunka";
  CheckRun run = check("bad.zunka", "a = 1;\n表 = \"ソ\" + ;\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  // The message names the class's source; the trace line gives line and column.
  EXPECT_EQ(run.err.rfind(utf8(u8"文法エラー:"), 0), 0u) << run.err;
  EXPECT_NE(run.err.find("  at " + path + ":2:9\n"), std::string::npos) << run.err;
}

TEST(CheckCommand, RefusesAMissingFile) {
  std::string command = std::string(ZUNKA_BINARY_DIR) + "/zunka --check " + testing::TempDir() +
                        "no-such-file.zunka 2>/dev/null";
  int raw = std::system(command.c_str());
  EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1);
}

TEST(SourcePosition, CountsLinesAndCharactersFromOne) {
  std::string source = "ab\n表ソx\r\n\x95";
  EXPECT_EQ(sourcePositionAt(source, 0).line, 1);
  EXPECT_EQ(sourcePositionAt(source, 0).column, 1);
  EXPECT_EQ(sourcePositionAt(source, 2).column, 3);
  SourcePosition x = sourcePositionAt(source, 7);  // after two double-byte characters
  EXPECT_EQ(x.line, 2);
  EXPECT_EQ(x.column, 3);
  SourcePosition last = sourcePositionAt(source, 10);
  EXPECT_EQ(last.line, 3);
  EXPECT_EQ(last.column, 1);
  EXPECT_EQ(sourcePositionAt(source, 99).line, 3);  // clamped to the end
}

}  // namespace
}  // namespace zunka::test
