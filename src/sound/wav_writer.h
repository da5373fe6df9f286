#pragma once
#include <cstdint>
#include <span>
#include <string>

namespace zunka::sound {

// A WAV file of the player's output format (PCM, mono, 44,100 Hz, 16-bit):
// the 44-byte header, then the samples little-endian.
std::string encodeWav(std::span<const int16_t> samples);

}  // namespace zunka::sound
