#pragma once
#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>
#include <vector>

#include "sound/tone_tables.h"

// A slow, plain statement of how one voice sounds, for comparing renders with:
// no sequencer, no clock, no ring. The caller says when things change; the voice
// makes one sample at a time from the rules as written.
namespace zunka::testing {

// The increment of note n from its period, as the rules give it.
inline uint32_t referenceIncrement(int note, int detune = 0) {
  double exact = 7330908160.0 / sound::kTonePeriods[note] * 65536.0 / 44100.0;
  int64_t base = static_cast<int64_t>(exact);
  return static_cast<uint32_t>(base + detune * (base / 2048));
}

inline int referenceSine(uint32_t vibratoPhase) {
  double angle = 2 * std::numbers::pi * double(vibratoPhase / 2097152) / 2048;
  return static_cast<int>(std::trunc(127.0 * std::sin(angle)));
}

struct ReferenceVoice {
  std::vector<int> wave = std::vector<int>(32, 0);  // 2^width bytes
  int width = 5;
  std::vector<int> envelope = std::vector<int>(32, 0);
  int envelopeSpeed = 5;
  int volume = 15;
  int secondVolume = 128;
  int envelopePosition = 0;
  uint32_t phase = 0;
  uint32_t increment = 0;
  bool oneShot = false;
  // Vibrato: speed as added to its phase (already times 65536).
  uint32_t vibratoSpeed = 0;
  int vibratoDepth = 0;
  int64_t vibratoCounter = 0;
  uint32_t vibratoPhase = 0;
  int tempo = 120;

  ReferenceVoice() {
    for (int i = 0; i < 32; ++i) wave[i] = i < 16 ? 103 : 153;
    for (int j = 0; j < 32; ++j) envelope[j] = (31 - j) / 2;
  }

  // The next sample; `second` on the 2nd, 4th ... sample of a pass.
  int64_t sample(bool second) {
    int64_t a = int64_t(envelope[envelopePosition / 2048]) * volume * secondVolume;
    int64_t out = 0;
    if (a > 0) {
      int w = wave[size_t(phase / std::pow(2.0, 32 - width))];
      out = a * w / 2048 - a / 16;
      bool holding =
          oneShot && int32_t(phase) < 0 && -int64_t(int32_t(phase)) <= 2 * int64_t(increment);
      if (!holding) phase = uint32_t(uint64_t(phase) + increment);
      if (vibratoSpeed != 0) {
        if (vibratoCounter <= 0) {
          int64_t swing =
              referenceSine(vibratoPhase) * int64_t(int32_t(increment) / 512) * vibratoDepth;
          phase = uint32_t(int64_t(phase) + swing / 256);
          if (second) vibratoPhase += vibratoSpeed;
        } else {
          vibratoCounter -= tempo;
        }
      }
    }
    if (second && envelopePosition + envelopeSpeed <= 65535) envelopePosition += envelopeSpeed;
    return out;
  }

  // `count` samples, the first of them being sample `first` of the pass.
  std::vector<int64_t> run(int count, int first = 1) {
    std::vector<int64_t> out;
    for (int i = 0; i < count; ++i) out.push_back(sample((first + i) % 2 == 1));
    return out;
  }
};

}  // namespace zunka::testing
