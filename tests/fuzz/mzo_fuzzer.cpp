// Fuzz target: music files and channel sequences on arbitrary bytes. The bytes
// are read as a music file and played; then every channel plays the raw bytes
// as its sequence, with sample loads finding a small WAV file and an effect
// mixed in. Besides memory safety (every operand read inside the sequence) it
// checks that rendering always finishes (a sequence that never yields stops)
// and that a refused file leaves no channel with a sequence.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "sound/enveloper.h"
#include "sound/music_file.h"
#include "sound/virtual_wave_out.h"

using namespace zunka::sound;

namespace {

// Every path exists and holds the same short WAV file (8-bit, 11,025 Hz).
class OneWavFile final : public SoundFiles {
 public:
  OneWavFile() {
    std::string data;
    for (int j = 0; j < 300; ++j) data.push_back(char(j * 37));
    wav_ = std::string(
               "RIFF\0\0\0\0WAVEfmt \x10\0\0\0\1\0\1\0\x11\x2b\0\0\x11\x2b\0\0\1\0\x08\0data", 40) +
           std::string("\0\0\0\0", 4) + data;
  }
  bool exists(std::string_view) override { return true; }
  bool read(std::string_view, std::string& bytes) override {
    bytes = wav_;
    return true;
  }
  std::string programDirectory() override { return "\\"; }

 private:
  std::string wav_;
};

void render(TEnveloper& synth, VirtualWaveOut& device, int ticks) {
  for (int t = 0; t < ticks; ++t) {
    device.play(2205);
    synth.render(device.position());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static OneWavFile files;
  static const std::string effect(3000, char(200));
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  VirtualWaveOut device;
  TEnveloper synth(device, files);
  if (!synth.open()) __builtin_trap();

  MusicFile music = parseMusicFile(bytes);
  for (int c = 0; c < kMusicChannels; ++c) {
    if (music.status == kBadMusicFile && music.channels[c]) __builtin_trap();
    synth.setChannelSequence(c, music.channels[c]);
  }
  render(synth, device, 2);

  auto raw = std::make_shared<const Sequence>(data, data + size);
  for (int c = 0; c < kMusicChannels; ++c) synth.setChannelSequence(c, raw);
  synth.playEffect(1, reinterpret_cast<const uint8_t*>(effect.data()), 64, int32_t(effect.size()),
                   device.position());
  render(synth, device, 3);
  return 0;
}
