#pragma once
#include <memory>

#include "sound/host_wave_out.h"
#include "sound/logged_midi.h"
#include "sound/music_player.h"
#include "sound/process_midi_link.h"
#include "sound/ravlink.h"
#include "sound/sound_driver.h"
#include "sound/sound_files.h"

namespace zunka {

// Everything the sound layer keeps for one player: the sound component on the
// host's card (attached by the player session), the music player with the MIDI
// player it talks to, the driver the rest of the player renders through, and
// the MIDI loop flag the last BGM play gave. The window's sound switch is
// hostState().soundEnabled. The player context owns it.
struct SoundState {
  SoundState();
  ~SoundState();

  // Plays on `card` from now on (none: a device that never plays); the output
  // is closed first, so the next sound opens it on the new card.
  void attachCard(platform::AudioDevice* card);
  // Music for MIDI files goes to the MIDI player program from now on (instead of
  // the console log).
  void useMidiPlayer(sound::ProcessMidiLink::Setup setup);
  // Tone data from the kernel folder's tones.wdt, when it is there.
  void loadKernelTones(std::string_view baseDir);

  sound::HostWaveOut output;
  sound::PlatformSoundFiles files;
  sound::TRavlink component{output, files};
  sound::LoggedMidi loggedMidi;
  std::unique_ptr<sound::ProcessMidiLink> midiPlayer;
  sound::MusicPlayer music{component, loggedMidi};
  sound::SoundDriver driver{component, output, music};
  bool midiLoop = false;
};

// The current player's.
SoundState& soundState();
// Makes `state` the current one; gives the one it replaces.
SoundState* setSoundState(SoundState* state);

}  // namespace zunka
