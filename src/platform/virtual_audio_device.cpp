#include "platform/virtual_audio_device.h"

#include <algorithm>
#include <cmath>

namespace zunka::platform {

VirtualAudioDevice::VirtualAudioDevice(const ClockSource& clock)
    : clock_(clock), ring_(size_t(kAudioRingCapacity), 0) {}

int32_t VirtualAudioDevice::start(int32_t length) {
  if (length < 1 || length > kAudioRingCapacity) return kAudioNotSupported;
  stop();
  std::fill(ring_.begin(), ring_.end(), int16_t(0));
  length_ = length;
  playing_ = true;
  startedAt_ = clock_.milliseconds();
  consumed_ = 0;
  return kAudioOk;
}

void VirtualAudioDevice::stop() {
  catchUp();
  playing_ = false;
}

int64_t VirtualAudioDevice::consumed() {
  catchUp();
  return consumed_;
}

void VirtualAudioDevice::update(const int16_t* ring, int32_t length) {
  catchUp();  // what was due was played from the ring as it was
  std::copy_n(ring, std::min(length, length_), ring_.begin());
}

void VirtualAudioDevice::takeRecorded(std::vector<int16_t>& out) {
  catchUp();
  out.insert(out.end(), recorded_.begin(), recorded_.end());
  recorded_.clear();
}

void VirtualAudioDevice::catchUp() {
  if (!playing_) return;
  // Whole periods only; the small allowance keeps a clock that moved by exactly
  // 50 ms from landing a hair short of it.
  double elapsed = clock_.milliseconds() - startedAt_;
  auto periods = static_cast<int64_t>(std::floor(elapsed / kPeriodMilliseconds + 1e-9));
  int64_t due = std::max<int64_t>(periods, 0) * kPeriodSamples;
  if (recording_) {
    for (int64_t at = consumed_; at < due; ++at) recorded_.push_back(ring_[size_t(at % length_)]);
  }
  consumed_ = std::max(consumed_, due);
}

}  // namespace zunka::platform
