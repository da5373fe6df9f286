#pragma once
#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sound/channel.h"
#include "sound/enveloper.h"
#include "sound/sound_files.h"
#include "sound/virtual_wave_out.h"

namespace zunka::testing {

// Files held in memory, by exact path; the program's directory is "\prog".
class MemoryFiles final : public sound::SoundFiles {
 public:
  std::map<std::string, std::string, std::less<>> files;
  bool exists(std::string_view path) override { return files.find(path) != files.end(); }
  bool read(std::string_view path, std::string& bytes) override {
    auto it = files.find(path);
    if (it == files.end()) return false;
    bytes = it->second;
    return true;
  }
  std::string programDirectory() override { return "\\prog"; }
};

// Writes a channel's sequence byte by byte.
class Seq {
 public:
  Seq& raw(std::initializer_list<int> bytes) {
    for (int b : bytes) bytes_.push_back(static_cast<uint8_t>(b));
    return *this;
  }
  Seq& u16(int v) { return raw({v & 0xFF, v >> 8 & 0xFF}); }
  Seq& i32(int32_t v) { return raw({v & 0xFF, v >> 8 & 0xFF, v >> 16 & 0xFF, v >> 24 & 0xFF}); }
  Seq& note(int n, int duration) { return raw({n}).u16(duration); }
  Seq& rest(int duration) { return raw({'c'}).u16(duration); }
  Seq& volume(int v) { return raw({'d', v}); }
  Seq& envelopeSpeed(int v) { return raw({'e', v}); }
  Seq& tone(int t) { return raw({'f', t}); }
  Seq& tempo(int t) { return raw({'g'}).u16(t); }
  Seq& jump(int32_t offset) { return raw({'h'}).i32(offset); }
  Seq& tie() { return raw({'i'}); }
  Seq& glide(int from, int to, int duration) { return raw({'j', from, to}).u16(duration); }
  Seq& wait() { return raw({'l'}); }
  Seq& vibrato(int reset, int speed, int depth) { return raw({'s', reset, speed, depth}); }
  Seq& vibratoDelay(int d) { return raw({'v', d}); }
  Seq& loadSample(std::string_view name, int slot) {
    raw({'u'});
    for (char ch : name) bytes_.push_back(static_cast<uint8_t>(ch));
    return raw({0, slot});
  }
  Seq& end() { return raw({255}); }
  size_t size() const { return bytes_.size(); }
  std::shared_ptr<const sound::Sequence> shared() const {
    return std::make_shared<const sound::Sequence>(bytes_);
  }
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

// A synthesiser on a virtual device, rendering straight into its ring.
struct SynthRig {
  sound::VirtualWaveOut device;
  MemoryFiles files;
  sound::TEnveloper synth{device, files};

  // Opens the device and makes the one sample a fresh start makes (with every
  // channel idle), so that the next pass starts at ring position 0 with the clock
  // at 1.
  SynthRig() {
    synth.setBufferLength(sound::kMaxBufferLength);
    synth.open();
    synth.render(0);
  }
  void play(int channel, const Seq& seq) { synth.setChannelSequence(channel, seq.shared()); }
  // The next `count` samples, made in passes of an even number of samples so that
  // "every second sample" means every odd sample index here.
  std::vector<int16_t> render(int count);
  int64_t rendered = 0;
};

// A WAV file image: PCM, the given channels, rate and sample size, frames
// interleaved in `samples`.
std::string wavFile(int channels, int rate, int bits, const std::vector<int>& samples);

}  // namespace zunka::testing
