#include "sound/sound_driver.h"

namespace zunka::sound {

void SoundDriver::render() {
  if (component_.enveloper().isOpen()) {
    if (output_.starts() != starts_) {
      starts_ = output_.starts();
      lastPass_ = 0;
    }
    int64_t position = output_.position();
    if (position > lastPass_) {
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
