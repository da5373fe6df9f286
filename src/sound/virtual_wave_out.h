#pragma once
#include <cstdint>
#include <vector>

#include "sound/wave_out.h"

// A device without sound hardware: it plays the ring in virtual time, as far as
// it is told to, and can hand over what it played. Headless players and tests
// use it; with one render pass after every `play`, its output is exactly what a
// sound card would have sounded.
namespace zunka::sound {

class VirtualWaveOut final : public WaveOut {
 public:
  int32_t start(const int16_t* ring, int32_t length) override;
  void stop() override;
  int64_t position() const override { return position_; }

  // Plays `count` samples from the ring (nothing when stopped), appending them
  // to `heard` when given. A 50 ms step is 2205 samples.
  void play(int64_t count, std::vector<int16_t>* heard = nullptr);
  // The start result the next start gives (0: it starts); for failure tests.
  void failNextStart(int32_t code) { nextResult_ = code; }
  bool playing() const { return ring_ != nullptr; }

 private:
  const int16_t* ring_ = nullptr;
  int32_t length_ = 0;
  int64_t position_ = 0;
  int32_t nextResult_ = 0;
};

}  // namespace zunka::sound
