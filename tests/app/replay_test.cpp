// An input log replayed while recording comes out as it went in: the frames the
// inputs are stamped with on replay are the frames they were recorded at.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::string readText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The log without its comments and blank lines.
std::string inputsOf(const std::string& log) {
  std::istringstream in(log);
  std::string line, out;
  while (std::getline(in, line))
    if (!line.empty() && line[0] != '#') out += line + "\n";
  return out;
}

TEST(Replay, ASessionRecordedWhileReplayedIsTheSameSession) {
  zunka::testing::TempDir base;
  fs::path dir = base.host();
  fs::path project = fs::path(ZUNKA_SOURCE_DIR) / "tests/projects/mouse_clicks";
  fs::create_directory_symlink(fs::path(ZUNKA_SOURCE_DIR) / "kernel", dir / "kernel");
  fs::copy(project, dir / "Usr", fs::copy_options::recursive);
  fs::path recorded = dir / "again.log";
  std::string command = std::string(ZUNKA_BINARY_DIR) + "/zunka --headless --frames 12 --base '" +
                        dir.string() + "' --replay '" + (project / "input.log").string() +
                        "' --record '" + recorded.string() + "' > '" + (dir / "out.txt").string() +
                        "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << readText(dir / "out.txt");
  EXPECT_EQ(readText(recorded), inputsOf(readText(project / "input.log")));
  EXPECT_EQ(readText(dir / "out.txt"), readText(project / "expected.txt"));
}

TEST(Replay, ALogThatCannotBeReadStopsThePlayerBeforeItStarts) {
  zunka::testing::TempDir base;
  fs::path log = fs::path(base.host()) / "bad.log";
  std::ofstream(log) << "zunka-input 1\n3 key 37 sideways\n";
  std::string command = std::string(ZUNKA_BINARY_DIR) + "/zunka --headless --frames 1 --replay '" +
                        log.string() + "' > '" + base.host() + "/out.txt' 2>&1";
  int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
  EXPECT_EQ(readText(fs::path(base.host()) / "out.txt"),
            "zunka: " + log.string() + ": line 2: a key goes down or up\n");
}

}  // namespace
