// A save cut short: the player killed after a writer has written but before it
// closes leaves the old file whole.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

void writeText(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << text;
}

std::string readText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Starts the player on `base` with its standard output on a pipe; gives its pid.
pid_t startPlayer(const fs::path& base, int& output) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], STDOUT_FILENO);
    close(fds[0]);
    close(fds[1]);
    std::string zunka = std::string(ZUNKA_BINARY_DIR) + "/zunka";
    execl(zunka.c_str(), zunka.c_str(), "--headless", "--frames", "100000000", "--base",
          base.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  output = fds[0];
  return pid;
}

// Reads until `line` has been printed (false at the end of the output or after a minute).
bool waitForLine(int output, const std::string& line) {
  std::string seen;
  char buffer[256];
  while (seen.find(line + "\n") == std::string::npos) {
    pollfd p{output, POLLIN, 0};
    if (poll(&p, 1, 60000) <= 0) return false;
    ssize_t n = read(output, buffer, sizeof buffer);
    if (n <= 0) return false;
    seen.append(buffer, size_t(n));
  }
  return true;
}

}  // namespace

TEST(InterruptedSave, KillingThePlayerBeforeTheWriterClosesLeavesTheOldFileWhole) {
  zunka::testing::TempDir base;
  fs::path dir = base.host();
  fs::create_directory_symlink(fs::path(ZUNKA_SOURCE_DIR) / "kernel", dir / "kernel");
  writeText(dir / "Usr/default.zunkaprj",
            "<resourcelist name=\"project\"><resourcelist name=\"pages\">"
            "<page name=\"$page_main\" src=\"main.cmml\"/></resourcelist></resourcelist>");
  writeText(dir / "Usr/main.cmml",
            "<resourcelist name=\"usr\"><resourcelist name=\"classes\">"
            "<class name=\"Saver\" src=\"Saver.zunka\"/></resourcelist>"
            "<resourcelist name=\"gen\"><generator className=\"Saver\" name=\"$saver\"/>"
            "</resourcelist></resourcelist>");
  // Over forty kilobytes: the writer's buffer goes to the disk several times
  // before the player is stopped.
  writeText(dir / "Usr/Saver.zunka",
            "extends classes.game.Char;\n"
            "w = new FileWriter(\"save.txt\");\n"
            "for (i = 0; i < 3000; i += 1) w.writeText(\"new save data \");\n"
            "print(\"written\");\n"
            "while (1) update();\n");
  writeText(dir / "Usr/files/save.txt", "old save");

  int output = -1;
  pid_t player = startPlayer(dir, output);
  ASSERT_GT(player, 0);
  bool written = waitForLine(output, "written");
  kill(player, SIGKILL);
  int status = 0;
  waitpid(player, &status, 0);
  close(output);
  ASSERT_TRUE(written);
  ASSERT_TRUE(WIFSIGNALED(status));

  EXPECT_EQ(readText(dir / "Usr/files/save.txt"), "old save");
  // The new bytes had reached the disk, beside the file.
  uintmax_t partial = 0;
  for (const auto& entry : fs::directory_iterator(dir / "Usr/files"))
    if (entry.path().filename().string().starts_with("save.txt.part"))
      partial = fs::file_size(entry.path());
  EXPECT_GE(partial, 4096u);
}
