#pragma once
#include <string>

// The MIDI player program's service: it puts its process id into the shared
// block, answers pings with w + 17, and on a command message reads the loop flag
// and the command text from the block: "stop", "exit", or a MIDI file to play.
// While it loads (its sound font at start, a file) the busy marker file exists.
// It ends on "exit" and when the player that started it is gone.
namespace zunka::midi {

struct ServerOptions {
  std::string shareName = "/ZunkaMidiShare";
  std::string busyMarker;  // host path; empty: none
  std::string soundFont;   // host path; empty: findSoundFont's choice
  std::string logFile;     // host path; empty: none. One line per command handled.
};

// Runs until told to exit or orphaned; the process's exit status.
int runServer(const ServerOptions& options);

}  // namespace zunka::midi
