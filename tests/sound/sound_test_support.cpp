#include "sound_test_support.h"

#include <algorithm>

namespace zunka::testing {

std::vector<int16_t> SynthRig::render(int count) {
  constexpr int kPass = 2000;
  std::vector<int16_t> out;
  const int32_t length = synth.activeLength();
  while (count > 0) {
    int step = std::min(count, kPass);
    int32_t from = synth.writePosition();
    rendered += step;
    synth.render(rendered);
    for (int i = 0; i < step; ++i) out.push_back(synth.samples()[(from + i) % length]);
    count -= step;
  }
  return out;
}

std::string wavFile(int channels, int rate, int bits, const std::vector<int>& samples) {
  std::string data;
  for (int s : samples) {
    data.push_back(static_cast<char>(s & 0xFF));
    if (bits == 16) data.push_back(static_cast<char>(s >> 8 & 0xFF));
  }
  auto u32 = [](uint32_t v) {
    return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
  };
  auto u16 = [](uint32_t v) { return std::string{char(v), char(v >> 8)}; };
  int align = channels * bits / 8;
  std::string fmt =
      u32(16) + u16(1) + u16(channels) + u32(rate) + u32(rate * align) + u16(align) + u16(bits);
  std::string body = "WAVEfmt " + fmt + "data" + u32(data.size()) + data;
  return "RIFF" + u32(body.size()) + body;
}

}  // namespace zunka::testing
