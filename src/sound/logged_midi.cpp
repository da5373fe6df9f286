#include "sound/logged_midi.h"

#include "vm/console.h"

namespace zunka::sound {

void LoggedMidi::send(std::string_view command, bool loop) {
  if (command == "exit" || command == "stop") {
    Log("MIDI: " + std::string(command));
  } else {
    used_ = true;
    Log("MIDI: play " + std::string(command) + (loop ? " (loop)" : ""));
  }
}

}  // namespace zunka::sound
