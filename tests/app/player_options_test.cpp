#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include <string>
#include <vector>

#include "app/player_options.h"

using namespace zunka::app;
using Command = PlayerOptions::Command;

namespace {

ParsedCommandLine parse(std::vector<std::string> args) {
  return parseCommandLine(args);
}

TEST(PlayerOptions, NoArgumentsPlaysTheDefaultProject) {
  ParsedCommandLine p = parse({});
  EXPECT_EQ(p.error, "");
  EXPECT_EQ(p.options.command, Command::Play);
  EXPECT_FALSE(p.options.headless);
  EXPECT_FALSE(p.options.frames);
  EXPECT_FALSE(p.options.log);
  EXPECT_TRUE(p.options.file.empty());
}

TEST(PlayerOptions, OptionsInAnyOrderAroundTheFile) {
  ParsedCommandLine p = parse(
      {"--headless", "game.cmml", "--frames", "120", "--log=-", "--base", "/opt/z", "--profile"});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.options.file, "game.cmml");
  EXPECT_TRUE(p.options.headless);
  EXPECT_EQ(p.options.frames, 120);
  EXPECT_EQ(p.options.log, "-");
  EXPECT_EQ(p.options.baseDir, "/opt/z");
  EXPECT_TRUE(p.options.profile);
  EXPECT_FALSE(p.options.fullScreen);
}

TEST(PlayerOptions, FullScreenIsAWordNotAFile) {
  ParsedCommandLine p = parse({"FULLSCREEN"});
  EXPECT_TRUE(p.options.fullScreen);
  EXPECT_TRUE(p.options.file.empty());
  // After "--" even an option-like name is a file.
  p = parse({"--", "--odd-name.cmml"});
  EXPECT_EQ(p.error, "");
  EXPECT_EQ(p.options.file, "--odd-name.cmml");
}

TEST(PlayerOptions, WrongLinesAreRefusedWithAReason) {
  EXPECT_NE(parse({"--frames", "0"}).error, "");
  EXPECT_NE(parse({"--frames", "12x"}).error, "");
  EXPECT_NE(parse({"--frames", "-3"}).error, "");
  EXPECT_NE(parse({"--frames"}).error, "");
  EXPECT_NE(parse({"--log"}).error, "");
  EXPECT_NE(parse({"--fast"}).error, "");
  EXPECT_NE(parse({"a.cmml", "b.cmml"}).error, "");
  EXPECT_NE(parse({"--check", "a.zunka", "--run", "b.zunka"}).error, "");
  EXPECT_NE(parse({"--check", "a.zunka", "page.cmml"}).error, "");
}

TEST(PlayerOptions, CommandsTakeTheirFile) {
  ParsedCommandLine p = parse({"--check", "a.zunka"});
  EXPECT_EQ(p.options.command, Command::Check);
  EXPECT_EQ(p.options.commandFile, "a.zunka");
  EXPECT_EQ(parse({"--base", "/x", "--run", "r.zunka"}).options.command, Command::Run);
  EXPECT_EQ(parse({"--disasm=d.zunka"}).options.commandFile, "d.zunka");
  // Helper classes come with a command, in the order given.
  PlayerOptions o = parse({"--class", "a.zunka", "--run", "r.zunka", "--class=b.zunka"}).options;
  EXPECT_EQ(o.classFiles, (std::vector<std::string>{"a.zunka", "b.zunka"}));
  EXPECT_NE(parse({"--class", "a.zunka"}).error, "");
}

TEST(PlayerOptions, TheDebuggerComesAsAWindowOrAsAScriptNotBoth) {
  ParsedCommandLine p = parse({"--debug", "page.cmml"});
  ASSERT_EQ(p.error, "");
  EXPECT_TRUE(p.options.debug);
  EXPECT_FALSE(p.options.debugScript);
  p = parse({"--headless", "--debug-script=cmds.txt"});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.options.debugScript, "cmds.txt");
  EXPECT_NE(parse({"--debug", "--debug-script", "cmds.txt"}).error, "");
  EXPECT_NE(parse({"--debug-script"}).error, "");
}

TEST(PlayerOptions, VersionAndHelpWinOverTheRest) {
  EXPECT_EQ(parse({"--headless", "--version"}).options.command, Command::Version);
  ParsedCommandLine p = parse({"--help", "--fast"});
  EXPECT_EQ(p.options.command, Command::Help);
  EXPECT_EQ(p.error, "");
  EXPECT_NE(usageText().find("--frames N"), std::string::npos);
}

// The --help text is the manual page's too: every option is in it, and it stays
// ASCII within 80 columns so that both read well.
TEST(PlayerOptions, HelpListsEveryOptionAndIsUsageTxt) {
  std::string help = usageText();
  // Each option starts an entry of its own, or shares one ("-h, --help").
  for (const std::string& name : optionNames()) {
    bool listed = help.find("\n  " + name + " ") != std::string::npos ||
                  help.find("\n  " + name + "\n") != std::string::npos ||
                  help.find("\n  " + name + ", ") != std::string::npos ||
                  help.find(", " + name + " ") != std::string::npos;
    EXPECT_TRUE(listed) << name;
  }
  for (std::string_view key : {"F1", "F2", "F3", "F4", "F5", "F6", "F7", "F12", "Alt+Enter",
                               "Ctrl+F10", "Shift+F5", "F10, F11", "Ctrl+V"})
    EXPECT_NE(help.find("  " + std::string(key) + " "), std::string::npos) << key;
  EXPECT_EQ(help.find("not available"), std::string::npos);
  std::ifstream file(ZUNKA_SOURCE_DIR "/src/app/usage.txt", std::ios::binary);
  EXPECT_EQ(help, std::string(std::istreambuf_iterator<char>(file), {}));
  size_t start = 0;
  for (size_t end; (end = help.find('\n', start)) != std::string::npos; start = end + 1)
    EXPECT_LE(end - start, 80u) << help.substr(start, end - start);
  for (char c : help) EXPECT_TRUE(c == '\n' || (c >= ' ' && c <= '~')) << int(c);
}

}  // namespace

namespace {

TEST(PlayerOptions, TheMemoryLimitIsWholeMebibytesUpToTheArenasSize) {
  EXPECT_FALSE(parse({}).options.memoryLimitMiB);
  EXPECT_EQ(parse({"--memory-limit", "64"}).options.memoryLimitMiB, 64u);
  EXPECT_EQ(parse({"--run", "a.zunka", "--memory-limit=0"}).options.memoryLimitMiB, 0u);
  EXPECT_EQ(parse({"--memory-limit", "4096"}).error, "");
  EXPECT_NE(parse({"--memory-limit", "4097"}).error, "");
  EXPECT_NE(parse({"--memory-limit", "-1"}).error, "");
  EXPECT_NE(parse({"--memory-limit", "1.5"}).error, "");
  EXPECT_NE(usageText().find("--memory-limit MIB"), std::string::npos);
}

}  // namespace
