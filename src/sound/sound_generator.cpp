#include "sound/sound_generator.h"

namespace zunka::sound {

TSoundGenerator::TSoundGenerator(WaveOut& device)
    : device_(device), waveforms_(defaultWaveforms()), errorText_(deviceErrorText(0)) {}

bool TSoundGenerator::open() {
  if (open_) return true;
  clearRing();
  activeLength_ = requestedLength_;
  resultCode_ = device_.start(ring(), activeLength_);
  errorText_ = deviceErrorText(resultCode_);
  failed_ = resultCode_ != 0;
  open_ = !failed_;
  resync_ = open_;
  return open_;
}

void TSoundGenerator::close() {
  if (!open_) return;
  device_.stop();
  clearRing();
  open_ = false;
}

bool TSoundGenerator::setBufferLength(int32_t samples) {
  if (samples < kMinBufferLength || samples > kMaxBufferLength) return false;
  requestedLength_ = samples;
  return true;
}

}  // namespace zunka::sound
