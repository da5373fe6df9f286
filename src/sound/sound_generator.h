#pragma once
#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "sound/sound_format.h"
#include "sound/tone_data.h"
#include "sound/wave_out.h"

// The output side of the synthesiser: the ring buffer the device loops over, the
// positions the renderer keeps in it, the built-in waveforms, and the device's
// state.
namespace zunka::sound {

class TSoundGenerator {
 public:
  explicit TSoundGenerator(WaveOut& device);
  virtual ~TSoundGenerator() = default;
  TSoundGenerator(const TSoundGenerator&) = delete;
  TSoundGenerator& operator=(const TSoundGenerator&) = delete;

  // Opens the device when it is closed: clears the ring, makes the requested
  // length the active one and starts the device over it; the next render starts
  // writing afresh. False (and failed set) when the device cannot start.
  bool open();
  // Stops the device and clears the ring.
  void close();
  bool isOpen() const { return open_; }
  bool failed() const { return failed_; }
  int32_t resultCode() const { return resultCode_; }
  const std::string& errorText() const { return errorText_; }

  // The requested length takes effect at the next open; lengths outside 256 ...
  // 59,999 are refused (false).
  bool setBufferLength(int32_t samples);
  int32_t bufferLength() const { return requestedLength_; }
  int32_t activeLength() const { return activeLength_; }

  // The ring as the device plays it.
  std::span<const int16_t> samples() const { return {ring(), size_t(activeLength_)}; }
  int32_t playPosition() const { return playPosition_; }
  int32_t writePosition() const { return writePosition_; }

  Waveforms& waveforms() { return waveforms_; }
  const Waveforms& waveforms() const { return waveforms_; }

 protected:
  // A cleared ring holds 128 in every sample, as it always has.
  void clearRing() { std::fill_n(ring(), kRingCapacity, int16_t{128}); }
  // The ring is made on first use: most runs never play a sound, and filling
  // 128 KB at every start costs a page fault per 4 KB.
  int16_t* ring() const {
    if (!ring_) {
      ring_ = std::make_unique_for_overwrite<int16_t[]>(kRingCapacity);
      std::fill_n(ring_.get(), kRingCapacity, int16_t{128});
    }
    return ring_.get();
  }
  // Tone 95 is noise: one of its bytes gets a new random value per sample.
  void stirNoise() {
    waveforms_[kNoiseTone][noiseCounter_ % kWaveLength] = static_cast<uint8_t>(90 + random78());
    ++noiseCounter_;
  }

  WaveOut& device_;
  // Only ring() reaches it before the device is open.
  mutable std::unique_ptr<int16_t[]> ring_;
  int32_t activeLength_ = kDefaultBufferLength;
  int32_t playPosition_ = 0;
  int32_t writePosition_ = 0;
  bool resync_ = false;  // set by open: the next render restarts the write position
  Waveforms waveforms_;

 private:
  // A 32-bit linear congruential generator, seeded with 0, so that renders are
  // repeatable; the value 0 ... 77 is taken from its high bits.
  int32_t random78() {
    randomSeed_ = randomSeed_ * 134775813u + 1u;
    return static_cast<int32_t>((uint64_t(randomSeed_) * 78) >> 32);
  }

  int32_t requestedLength_ = kDefaultBufferLength;
  uint32_t noiseCounter_ = 0;
  uint32_t randomSeed_ = 0;
  bool open_ = false;
  bool failed_ = false;
  int32_t resultCode_ = 0;
  std::string errorText_;
};

}  // namespace zunka::sound
