#pragma once
#include "app/player_options.h"

namespace zunka::app {

// The script tools of the command line: boot the kernel, compile FILE as one class
// named after the file's base name, and then
//   --check   report and stop (exit 0 or 1);
//   --run     run its main code to its end on a fresh instance (exit 1 when it did
//             not compile or ended with a run-time error);
//   --disasm  list the main code and each of the class's own functions.
int runScriptCommand(const PlayerOptions& options);

}  // namespace zunka::app
