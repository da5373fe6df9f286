#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zunka::app {

// What the command line asks for:
//   zunka [options] [FILE | FULLSCREEN]
//   zunka --check FILE | --run FILE | --disasm FILE  [--class CLASS ...]
struct PlayerOptions {
  enum class Command { Play, Version, Help, Check, Run, Disasm };
  Command command = Command::Play;
  std::string commandFile;                 // FILE of --check, --run, --disasm
  std::vector<std::string> classFiles;     // --class FILE: compiled first, in this order
  std::string baseDir;                     // --base DIR (host path), empty: the executable's
  bool headless = false;                   // --headless
  std::optional<int64_t> frames;           // --frames N: stop after N frames
  std::optional<std::string> log;          // --log FILE, "-" for standard error
  std::optional<std::string> screenshot;   // --screenshot FILE.png (host path)
  std::optional<std::string> record;       // --record FILE: the input log to write
  std::optional<std::string> replay;       // --replay FILE: the input log to play
  std::optional<std::string> audioOut;     // --audio-out FILE.wav (host path)
  bool profile = false;                    // --profile
  bool debug = false;                      // --debug: the debug window, the game stopped
  std::optional<std::string> debugScript;  // --debug-script FILE: debugger commands
  // --memory-limit MIB: the script heap's cap in MiB, 0 for none (default 1024)
  std::optional<uint64_t> memoryLimitMiB;
  bool fullScreen = false;  // FULLSCREEN
  std::string file;         // page or project to open after boot
};

struct ParsedCommandLine {
  PlayerOptions options;
  std::string error;  // non-empty: the command line is wrong; say so with the usage
};

// `args` excludes the program name. Options may come in any order, before or
// after FILE; "--name=value" is the same as "--name value"; "--" ends options.
ParsedCommandLine parseCommandLine(const std::vector<std::string>& args);

// The --help text (usage.txt).
std::string usageText();
// Every option the command line takes, flags and options with a value alike.
std::vector<std::string> optionNames();

}  // namespace zunka::app
