#include "sound/wav_writer.h"

#include <algorithm>

#include "sound/sound_format.h"

namespace zunka::sound {
namespace {

void put32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(v >> (8 * i) & 0xFF));
}
void put16(std::string& out, uint32_t v) {
  for (int i = 0; i < 2; ++i) out.push_back(static_cast<char>(v >> (8 * i) & 0xFF));
}

}  // namespace

std::string encodeWav(std::span<const int16_t> samples) {
  // A RIFF size is 32 bits: longer recordings (over 6 hours) are cut there.
  size_t count = std::min<size_t>(samples.size(), (UINT32_MAX - 36) / kBlockAlign);
  auto dataBytes = static_cast<uint32_t>(count * kBlockAlign);
  std::string out;
  out.reserve(44 + dataBytes);
  out += "RIFF";
  put32(out, 36 + dataBytes);
  out += "WAVEfmt ";
  put32(out, 16);
  put16(out, 1);  // PCM
  put16(out, kChannelCount);
  put32(out, kSampleRate);
  put32(out, kAverageByteRate);
  put16(out, kBlockAlign);
  put16(out, kBitsPerSample);
  out += "data";
  put32(out, dataBytes);
  for (size_t i = 0; i < count; ++i) put16(out, static_cast<uint16_t>(samples[i]));
  return out;
}

}  // namespace zunka::sound
