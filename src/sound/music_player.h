#pragma once
#include <cstdint>
#include <string_view>

#include "sound/midi_link.h"
#include "sound/ravlink.h"

// Background music as scripts ask for it (BGM, MediaPlayer): .mzo pieces on the
// tone synthesiser, .mid pieces on the MIDI player program, and which of the two
// plays.
namespace zunka::sound {

enum class MusicMode : int32_t { None = 0, Synthesiser = 1, Midi = 2 };

class MusicPlayer {
 public:
  MusicPlayer(TRavlink& component, MidiLink& midi) : component_(component), midi_(&midi) {}
  // The MIDI player to use from now on.
  void setMidi(MidiLink& midi) { midi_ = &midi; }
  MidiLink& midi() const { return *midi_; }

  // Plays an existing file by its extension, compared in lower case: ".mzo" on
  // the synthesiser, ".mid" and ".midi" on the MIDI player (which loops when
  // `midiLoop`); any other extension plays nothing.
  void play(std::string_view path, bool midiLoop);
  // Stops whatever plays (the synthesiser's channels, or the MIDI player with
  // "stop"); no music plays afterwards.
  void stop();
  // The player ends: "exit" to a MIDI player that was used.
  void shutDown();

  MusicMode mode() const { return mode_; }

  // Waits while the MIDI player is busy: at most 11 rounds of a status line for
  // 500 ms and none for 500 ms, ending as soon as it is not busy.
  void waitWhileBusy();
  // Up to `attempts` pings 100 ms apart: true as soon as one is answered.
  bool ping(int32_t attempts);

 private:
  void playMidi(std::string_view path, bool loop);

  TRavlink& component_;
  MidiLink* midi_;
  MusicMode mode_ = MusicMode::None;
};

// ".mzo", ".mid", ... : the extension of the last name in `path`, in lower case
// (ASCII only: Shift_JIS names keep their bytes), or "" without one.
std::string lowerCaseExtension(std::string_view path);

}  // namespace zunka::sound
