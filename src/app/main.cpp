#include <cstdio>
#include <string>
#include <vector>

#include "app/player.h"
#include "app/player_context.h"
#include "app/player_options.h"
#include "app/script_commands.h"
#include "app/system_directory.h"
#include "compiler/class_compiler.h"
#include "platform/command_line.h"
#include "platform/files.h"
#include "platform/host_path.h"
#include "platform/virtual_memory.h"
#include "shell/kernel_boot.h"
#include "vm/arena.h"
#include "vm/version.h"

using zunka::app::PlayerOptions;

namespace {

// The player and the script commands need the kernel library: without one they
// say where they looked and what to do. Gives the exit status, or 0 to go on.
int checkSystemDirectory(const PlayerOptions& options) {
  if (!options.baseDir.empty() && !zunka::platform::hostDirectoryExists(options.baseDir)) {
    std::fprintf(stderr, "zunka: no such directory: %s\n", options.baseDir.c_str());
    return 2;
  }
  std::string executable = zunka::platform::hostPath(zunka::platform::executableDirectory());
  auto system = zunka::app::locateSystemDirectory(options.baseDir, executable);
  if (zunka::app::holdsKernel(system.path)) return 0;
  std::fprintf(stderr, "zunka: %s\n",
               zunka::app::missingKernelMessage(options.baseDir, executable).c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  zunka::app::PlayerContext context;
  zunka::platform::setCommandLine(argc, argv);
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  zunka::app::ParsedCommandLine parsed = zunka::app::parseCommandLine(args);
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "zunka: %s\n(zunka --help lists the options)\n", parsed.error.c_str());
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
    case PlayerOptions::Command::Play:
      break;
  }
  // Every command from here boots the kernel library, whose classes take some
  // 300 KB of small allocations and whose class files are read as one bundle of
  // some 60 KB.
  zunka::platform::prefaultHeap(448 << 10);
  if (int status = checkSystemDirectory(options)) return status;
  if (options.command != PlayerOptions::Command::Play) return zunka::app::runScriptCommand(options);
  zunka::installScriptCompiler();
  zunka::KernelBoot boot;
  return zunka::app::runPlayer(options, boot);
}
