#include "sound/virtual_wave_out.h"

namespace zunka::sound {

int32_t VirtualWaveOut::start(const int16_t* ring, int32_t length) {
  int32_t result = nextResult_;
  nextResult_ = 0;
  if (result != 0) return result;
  ring_ = ring;
  length_ = length;
  position_ = 0;
  return 0;
}

void VirtualWaveOut::stop() {
  ring_ = nullptr;
  length_ = 0;
}

void VirtualWaveOut::play(int64_t count, std::vector<int16_t>* heard) {
  if (!ring_ || count <= 0) return;
  if (heard) {
    for (int64_t i = 0; i < count; ++i) heard->push_back(ring_[(position_ + i) % length_]);
  }
  position_ += count;
}

}  // namespace zunka::sound
