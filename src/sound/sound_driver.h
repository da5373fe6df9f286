#pragma once
#include <cstdint>
#include <vector>

#include "resources/player_hosts.h"
#include "sound/host_wave_out.h"
#include "sound/music_player.h"
#include "sound/ravlink.h"

namespace zunka::sound {

// How the player drives the sound component (see docs/sound.md): render() is
// called at the start of every idle step, after every batch of frames and
// whenever the console sink writes, and makes a mixing pass only when the card
// has started since the last pass or consumed samples since it. Headless the
// card consumes whole 50 ms periods of the virtual clock, so every period gets
// exactly one pass of 2,205 samples, whichever call makes it, and the pass that
// follows a start is the one-sample pass at position 0. While recording, what
// the card consumed is kept here.
class SoundDriver final : public SoundHost {
 public:
  SoundDriver(TRavlink& component, HostWaveOut& output, MusicPlayer& music)
      : component_(component), output_(output), music_(music) {}

  void render() override;
  void stopMusic() override { music_.stop(); }

  // Keeps every sample the card consumes from now on (--audio-out).
  void startRecording();
  bool recording() const { return recording_; }
  // What was kept so far (the card is asked for the rest first).
  const std::vector<int16_t>& recorded();
  int64_t passes() const { return passes_; }

 private:
  void collectRecording();

  TRavlink& component_;
  HostWaveOut& output_;
  MusicPlayer& music_;
  uint32_t starts_ = 0;
  int64_t lastPass_ = 0;
  int64_t passes_ = 0;
  bool recording_ = false;
  std::vector<int16_t> recorded_;
};

}  // namespace zunka::sound
