#include "sound/sound_driver.h"

namespace zunka::sound {

void SoundDriver::render() {
  if (component_.enveloper().isOpen()) {
    int64_t position = output_.position();
    // The first pass after a start comes at once: it sets the write position
    // just behind the card, so that nothing of the ring stays stale for a lap.
    bool started = output_.starts() != starts_;
    if (started || position > lastPass_) {
      starts_ = output_.starts();
      lastPass_ = position;
      ++passes_;
      component_.render();
    }
  }
  collectRecording();
}

void SoundDriver::startRecording() {
  recording_ = true;
  if (platform::AudioDevice* card = output_.card()) card->startRecording();
}

const std::vector<int16_t>& SoundDriver::recorded() {
  collectRecording();
  return recorded_;
}

void SoundDriver::collectRecording() {
  if (!recording_) return;
  if (platform::AudioDevice* card = output_.card()) card->takeRecorded(recorded_);
}

}  // namespace zunka::sound
