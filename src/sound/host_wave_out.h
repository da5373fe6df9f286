#pragma once
#include <cstdint>

#include "platform/audio_device.h"
#include "sound/wave_out.h"

namespace zunka::sound {

// The output device on the host's sound card (platform::AudioDevice): the card
// loops over its own copy of the ring, handed over whenever the synthesiser
// writes into it, and its position is what it has consumed. Until a card is
// attached (outside a player session) it is a device that starts but never
// plays, so the sound component still loads, starts and mixes.
class HostWaveOut final : public WaveOut {
 public:
  // Stops the card in use, if playing, and plays on `card` (none: nothing) from
  // the next start on.
  void attach(platform::AudioDevice* card);
  platform::AudioDevice* card() const { return card_; }

  int32_t start(const int16_t* ring, int32_t length) override;
  void stop() override;
  int64_t position() const override;
  void ringChanged() override;
  // How often the device has started: a new start begins a new count of
  // positions.
  uint32_t starts() const { return starts_; }

 private:
  uint32_t starts_ = 0;
  platform::AudioDevice* card_ = nullptr;
  const int16_t* ring_ = nullptr;
  int32_t length_ = 0;
};

}  // namespace zunka::sound
