#include <cstdio>
#include <string>
#include <vector>

#include "app/player.h"
#include "app/player_context.h"
#include "app/player_options.h"
#include "app/script_commands.h"
#include "compiler/class_compiler.h"
#include "platform/command_line.h"
#include "shell/kernel_boot.h"
#include "vm/arena.h"
#include "vm/version.h"

using zunka::app::PlayerOptions;

int main(int argc, char** argv) {
  zunka::app::PlayerContext context;
  zunka::platform::setCommandLine(argc, argv);
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  zunka::app::ParsedCommandLine parsed = zunka::app::parseCommandLine(args);
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "zunka: %s\n\n%s", parsed.error.c_str(), zunka::app::usageText().c_str());
    return 2;
  }
  PlayerOptions& options = parsed.options;
  if (options.memoryLimitMiB) zunka::vm::Arena::setHeapLimit(*options.memoryLimitMiB << 20);
  switch (options.command) {
    case PlayerOptions::Command::Version:
      std::printf("zunka %s\n", zunka::kVersionText);
      return 0;
    case PlayerOptions::Command::Help:
      std::fputs(zunka::app::usageText().c_str(), stdout);
      return 0;
    case PlayerOptions::Command::Check:
    case PlayerOptions::Command::Run:
    case PlayerOptions::Command::Disasm:
      return zunka::app::runScriptCommand(options);
    case PlayerOptions::Command::Play:
      break;
  }
  zunka::installScriptCompiler();
  zunka::KernelBoot boot;
  return zunka::app::runPlayer(options, boot);
}
