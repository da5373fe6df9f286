#pragma once
#include <string>

#include "sound/midi_link.h"

namespace zunka::sound {

// The MIDI player of a run without sound: it is never busy, answers every ping,
// and writes each command to the console log ("MIDI: play PATH", "MIDI: play
// PATH (loop)", "MIDI: stop", "MIDI: exit"), so headless runs show what would
// have played. Time does not pass for it.
class LoggedMidi final : public MidiLink {
 public:
  bool busy() override { return false; }
  bool ping(uint16_t) override { return true; }
  void launch() override {}
  void send(std::string_view command, bool loop) override;
  bool used() const override { return used_; }
  uint32_t tickCount() override { return 0; }
  void sleep(uint32_t) override {}
  void showStatus(std::string_view) override {}

 private:
  bool used_ = false;
};

}  // namespace zunka::sound
