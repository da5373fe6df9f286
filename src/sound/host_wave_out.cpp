#include "sound/host_wave_out.h"

namespace zunka::sound {

void HostWaveOut::attach(platform::AudioDevice* card) {
  if (card_ && ring_) card_->stop();
  card_ = card;
  ring_ = nullptr;
}

int32_t HostWaveOut::start(const int16_t* ring, int32_t length) {
  ring_ = nullptr;
  ++starts_;
  if (!card_) {
    ring_ = ring;
    length_ = length;
    return 0;
  }
  int32_t result = card_->start(length);
  if (result != platform::kAudioOk) return result;
  ring_ = ring;
  length_ = length;
  card_->update(ring_, length_);
  return 0;
}

void HostWaveOut::stop() {
  if (card_ && ring_) card_->stop();
  ring_ = nullptr;
}

int64_t HostWaveOut::position() const {
  return card_ && ring_ ? card_->consumed() : 0;
}

void HostWaveOut::ringChanged() {
  if (card_ && ring_) card_->update(ring_, length_);
}

}  // namespace zunka::sound
