#include <cstdio>
#include <string>
#include <vector>

#include "app/check_command.h"
#include "app/player.h"
#include "app/player_options.h"
#include "platform/command_line.h"
#include "vm/version.h"

namespace {

using zunka::app::PlayerOptions;

int notYet(const char* option) {
  std::fprintf(stderr, "zunka: %s is not available yet\n", option);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  zunka::platform::setCommandLine(argc, argv);
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  zunka::app::ParsedCommandLine parsed = zunka::app::parseCommandLine(args);
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "zunka: %s\n\n%s", parsed.error.c_str(), zunka::app::usageText().c_str());
    return 2;
  }
  PlayerOptions& options = parsed.options;
  switch (options.command) {
    case PlayerOptions::Command::Version:
      std::printf("zunka %s\n", zunka::kVersionText);
      return 0;
    case PlayerOptions::Command::Help:
      std::fputs(zunka::app::usageText().c_str(), stdout);
      return 0;
    case PlayerOptions::Command::Check: {
      char* file[] = {options.commandFile.data()};
      return zunka::app::runCheckCommand(1, file);
    }
    case PlayerOptions::Command::Run:
      return notYet("--run");
    case PlayerOptions::Command::Disasm:
      return notYet("--disasm");
    case PlayerOptions::Command::Play:
      break;
  }
  zunka::BootSequence noBootYet;
  return zunka::app::runPlayer(options, noBootYet);
}
