// zunka-midi: the MIDI player program the player starts for .mid music.
//   zunka-midi [--share NAME] [--busy FILE] [--font FILE.sf2] [--log FILE]
//   zunka-midi --render FILE.mid OUT.wav [--font FILE.sf2]
// --log FILE (or ZUNKA_MIDI_LOG) writes one line per command it handles.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "midi/midi_render.h"
#include "midi/midi_server.h"

namespace {

int usage() {
  std::fputs(
      "usage: zunka-midi [--share NAME] [--busy FILE] [--font FILE.sf2] [--log FILE]\n"
      "       zunka-midi --render FILE.mid OUT.wav [--font FILE.sf2]\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  zunka::midi::ServerOptions server;
  std::string render, out;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    bool hasValue = i + 1 < args.size();
    if (a == "--render" && i + 2 < args.size()) {
      render = args[++i];
      out = args[++i];
    } else if (a == "--share" && hasValue) {
      server.shareName = args[++i];
    } else if (a == "--busy" && hasValue) {
      server.busyMarker = args[++i];
    } else if (a == "--font" && hasValue) {
      server.soundFont = args[++i];
    } else if (a == "--log" && hasValue) {
      server.logFile = args[++i];
    } else {
      return usage();
    }
  }
  // Tests follow a MIDI player the player started through its environment.
  if (const char* log = std::getenv("ZUNKA_MIDI_LOG"); log && server.logFile.empty())
    server.logFile = log;
  if (!render.empty()) return zunka::midi::renderFile(render, out, server.soundFont);
  return zunka::midi::runServer(server);
}
