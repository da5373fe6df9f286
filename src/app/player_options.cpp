#include "app/player_options.h"

#include "app/usage_text.h"

#include <charconv>
#include <functional>
#include <map>

namespace zunka::app {
namespace {

using Command = PlayerOptions::Command;

// An option that takes a value: it stores it, or says what is wrong with it.
using ValueHandler = std::function<std::string(PlayerOptions&, const std::string&)>;

std::string setFrames(PlayerOptions& o, const std::string& value) {
  int64_t n = 0;
  auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
  if (ec != std::errc() || end != value.data() + value.size() || n < 1)
    return "--frames needs a whole number of frames above 0, not \"" + value + "\"";
  o.frames = n;
  return {};
}

std::string setMemoryLimit(PlayerOptions& o, const std::string& value) {
  uint64_t n = 0;
  auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
  // The arena's 4 GiB are the most there can ever be.
  if (ec != std::errc() || end != value.data() + value.size() || n > 4096)
    return "--memory-limit needs a whole number of MiB from 0 (no limit) to 4096, not \"" + value +
           "\"";
  o.memoryLimitMiB = n;
  return {};
}

std::string setCommand(PlayerOptions& o, Command c, const std::string& file) {
  if (o.command != Command::Play) return "only one of --check, --run and --disasm may be given";
  o.command = c;
  o.commandFile = file;
  return {};
}

const std::map<std::string, ValueHandler>& valueOptions() {
  static const std::map<std::string, ValueHandler> options = {
      {"--base",
       [](PlayerOptions& o, const std::string& v) { return o.baseDir = v, std::string(); }},
      {"--frames", setFrames},
      {"--memory-limit", setMemoryLimit},
      {"--log", [](PlayerOptions& o, const std::string& v) { return o.log = v, std::string(); }},
      {"--screenshot",
       [](PlayerOptions& o, const std::string& v) { return o.screenshot = v, std::string(); }},
      {"--record",
       [](PlayerOptions& o, const std::string& v) { return o.record = v, std::string(); }},
      {"--replay",
       [](PlayerOptions& o, const std::string& v) { return o.replay = v, std::string(); }},
      {"--audio-out",
       [](PlayerOptions& o, const std::string& v) { return o.audioOut = v, std::string(); }},
      {"--debug-script",
       [](PlayerOptions& o, const std::string& v) { return o.debugScript = v, std::string(); }},
      {"--check",
       [](PlayerOptions& o, const std::string& v) { return setCommand(o, Command::Check, v); }},
      {"--run",
       [](PlayerOptions& o, const std::string& v) { return setCommand(o, Command::Run, v); }},
      {"--disasm",
       [](PlayerOptions& o, const std::string& v) { return setCommand(o, Command::Disasm, v); }},
      {"--class", [](PlayerOptions& o,
                     const std::string& v) { return o.classFiles.push_back(v), std::string(); }},
  };
  return options;
}

// Flags; --version and --help win over everything else on the line.
bool applyFlag(PlayerOptions& o, const std::string& arg, bool& version, bool& help) {
  if (arg == "--headless") return o.headless = true;
  if (arg == "--profile") return o.profile = true;
  if (arg == "--debug") return o.debug = true;
  if (arg == "--version") return version = true;
  if (arg == "--help" || arg == "-h") return help = true;
  return false;
}

std::string addPositional(PlayerOptions& o, const std::string& arg, bool& seen) {
  if (seen) return "only one FILE (or FULLSCREEN) may be given; \"" + arg + "\" is one too many";
  seen = true;
  if (arg == "FULLSCREEN")
    o.fullScreen = true;
  else
    o.file = arg;
  return {};
}

}  // namespace

ParsedCommandLine parseCommandLine(const std::vector<std::string>& args) {
  ParsedCommandLine parsed;
  PlayerOptions& o = parsed.options;
  bool version = false, help = false, positional = false, optionsEnded = false;
  for (size_t i = 0; i < args.size() && parsed.error.empty(); ++i) {
    std::string arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      parsed.error = addPositional(o, arg, positional);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (applyFlag(o, arg, version, help)) continue;
    std::string value;
    bool inlineValue = false;
    if (size_t eq = arg.find('='); eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg.resize(eq);
      inlineValue = true;
    }
    auto handler = valueOptions().find(arg);
    if (handler == valueOptions().end()) {
      parsed.error = "unknown option " + arg;
    } else if (!inlineValue && i + 1 >= args.size()) {
      parsed.error = arg + " needs a value";
    } else {
      parsed.error = handler->second(o, inlineValue ? value : args[++i]);
    }
  }
  if (parsed.error.empty() && o.command != Command::Play && positional)
    parsed.error =
        "FILE and FULLSCREEN only go with the player, not with --check, --run or --disasm";
  if (parsed.error.empty() && o.record && o.replay && *o.record == *o.replay)
    parsed.error = "--record and --replay cannot name the same file";
  if (parsed.error.empty() && o.debug && o.debugScript)
    parsed.error = "--debug opens the debug window, --debug-script works without one: not both";
  if (parsed.error.empty() && o.command == Command::Play && !o.classFiles.empty())
    parsed.error = "--class only goes with --check, --run or --disasm";
  if (version) o.command = Command::Version;
  if (help) o.command = Command::Help;
  if (version || help) parsed.error.clear();
  return parsed;
}

std::string usageText() {
  return kUsageText;
}

std::vector<std::string> optionNames() {
  std::vector<std::string> names = {"--headless", "--profile", "--debug", "--version",
                                    "--help",     "-h",        "--"};
  for (const auto& [name, handler] : valueOptions()) names.push_back(name);
  return names;
}

}  // namespace zunka::app
