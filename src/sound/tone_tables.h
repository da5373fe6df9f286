#pragma once
#include <array>
#include <cstdint>

#include "sound/sound_format.h"

// The synthesiser's shared, precomputed tables.
namespace zunka::sound {

// One period per note (twelve to the octave, entry 0 at about 32.7 Hz) in the
// clock units of the sound chip the music format was first written for: the
// note's frequency is 3579545 / (32 * period) Hz.
extern const std::array<int32_t, kToneCount> kTonePeriods;

// Phase increments per output sample, one per note: a 32-bit phase advanced by
// increment[n] wraps at the note's frequency.
const std::array<int32_t, kToneCount>& pitchTable();

// 2048 entries of 127 * sin(2 pi i / 2048), truncated toward zero: the vibrato's
// shape.
constexpr int32_t kSineLength = 2048;
const std::array<int8_t, kSineLength>& sineTable();

}  // namespace zunka::sound
