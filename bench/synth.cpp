// The tone synthesiser on a ten-channel piece with vibrato and glides
// (bench/data/ten_channels.mzo, from ten_channels.mml), with an effect started
// every second, rendered the way the player does: one pass per 50 ms tick of a
// virtual device. Reported: how many times faster than real time a minute of
// audio renders, and what one tick costs.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "sound/ravlink.h"
#include "sound/virtual_wave_out.h"

using namespace zunka;

namespace {

constexpr int kTick = 2205;  // samples in 50 ms
constexpr int kTicksPerMinute = 60 * 20;

class BenchFiles final : public sound::SoundFiles {
 public:
  std::map<std::string, std::string, std::less<>> files;
  bool exists(std::string_view path) override { return files.find(path) != files.end(); }
  bool read(std::string_view path, std::string& bytes) override {
    auto it = files.find(path);
    if (it == files.end()) return false;
    bytes = it->second;
    return true;
  }
  std::string programDirectory() override { return {}; }
};

std::string readHostFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A 0.4 s swept buzz at 22,050 Hz, 8-bit.
std::string effectFile() {
  std::string data;
  for (int j = 0; j < 8820; ++j) data.push_back(char(128 + ((j * (1 + j / 400)) % 64) - 32));
  auto u32 = [](uint32_t v) {
    return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
  };
  std::string fmt =
      u32(16) + std::string("\1\0\1\0", 4) + u32(22050) + u32(22050) + std::string("\1\0\x08\0", 4);
  std::string body = "WAVEfmt " + fmt + "data" + u32(uint32_t(data.size())) + data;
  return "RIFF" + u32(uint32_t(body.size())) + body;
}

struct Rig {
  sound::VirtualWaveOut device;
  BenchFiles files;
  sound::TRavlink link{device, files};
  int32_t effect = 0;

  Rig() {
    files.files["ten.mzo"] = readHostFile(ZUNKA_SOURCE_DIR "/bench/data/ten_channels.mzo");
    files.files["buzz.wav"] = effectFile();
    effect = link.loadEffect("buzz.wav");
    link.loadMusic("ten.mzo");
    link.startMusic();
    link.render();
  }
  void tick(int number) {
    if (number % 20 == 0) link.playEffect(effect, 96);
    device.play(kTick);
    link.render();
  }
  bool allPlaying() const {
    for (int c = 0; c < sound::kMusicChannels; ++c)
      if (link.enveloper().channel(c).state != sound::ChannelState::Playing) return false;
    return true;
  }
};

void BM_RenderAMinute(benchmark::State& state) {
  for (auto _ : state) {
    Rig rig;
    for (int t = 0; t < kTicksPerMinute; ++t) rig.tick(t);
    if (!rig.allPlaying()) state.SkipWithError("a channel of the piece stopped");
    benchmark::DoNotOptimize(rig.link.enveloper().samples().data());
  }
  // Seconds of audio per second of rendering: the real-time factor.
  state.counters["x_realtime"] =
      benchmark::Counter(60.0 * double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["s_per_tick"] =
      benchmark::Counter(double(kTicksPerMinute) * double(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_RenderAMinute)->Unit(benchmark::kMillisecond);

void BM_RenderOneTick(benchmark::State& state) {
  Rig rig;
  int t = 0;
  for (auto _ : state) rig.tick(++t);
  if (!rig.allPlaying()) state.SkipWithError("a channel of the piece stopped");
}
BENCHMARK(BM_RenderOneTick)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
