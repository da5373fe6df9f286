#pragma once
#include "app/player_options.h"
#include "shell/boot_sequence.h"

namespace zunka::app {

// Plays: opens the window (or runs headless), starts the system through `boot`
// (its steps do nothing until boot code is plugged in), and runs the frame loop
// from the idle loop until the window closes, the game exits, --frames frames
// have run, or a headless run has nothing left to run. Returns the exit status:
// 0, or in headless mode 1 when any error was reported; 2 when the options
// cannot be honoured (no such base directory, log file not writable).
int runPlayer(const PlayerOptions& options, BootSequence& boot);

}  // namespace zunka::app
