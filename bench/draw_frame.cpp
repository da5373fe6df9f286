// Drawing one frame of the game area (560 × 381) from a full sprite list:
// colour-keyed patterns, rotated, scaled and blended patterns, and cached texts,
// each against the memory-bound floor measured in the same run: a plain copy of
// as many bytes as the sprites write.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "resources/project_state.h"
#include "screen/screen_state.h"
#include "support/picture_files.h"

using namespace zunka;
using zunka::testing::drawFramedPicture;
using zunka::testing::plainPicture;

namespace {

// A sheet of eight framed 32 × 32 pictures (pattern numbers 0 to 7).
TPatRects& sheet() {
  static TPatRects set = [] {
    TPatRects s;
    s.surface = plainPicture(8 * 36 + 4, 40, 0xFFFFFF);
    for (int i = 0; i < 8; ++i) {
      drawFramedPicture(s.surface, 2 + i * 36, 2, 32, 32, 0xFF00FF,
                        0x204060 + uint32_t(i) * 0x101010);
      // Transparent holes in every picture, as real sprites have.
      for (int y = 0; y < 32; y += 3)
        for (int x = y % 7; x < 32; x += 7)
          s.surface.pixels[size_t(3 + y) * size_t(s.surface.width) + size_t(3 + i * 36 + x)] =
              0xFFFF00FFu;
    }
    CutSheet(s);
    return s;
  }();
  return set;
}

void fillList(int kind, int count) {
  ScreenState& screen = screenState();
  screen.sprites.Clear();
  if (screen.patterns.setCount() == 0) screen.patterns.Append(sheet());
  for (int i = 0; i < count; ++i) {
    Sprite s;
    s.x = (i * 37) % 560;
    s.y = (i * 53) % 381;
    s.z = i % 16;
    s.pattern = i % 8;
    if (kind == 1) {
      s.kind = Sprite::Kind::DxPattern;
      s.angle = i % 360;
      s.alpha = 128 + i % 128;
      s.scaleX = s.scaleY = 0.75 + (i % 4) * 0.25;
    } else if (kind == 2) {
      s.fontSize = 12;
      s.colour = 0xFFFFFF;
      screen.sprites.AppendText(s, "Score " + std::to_string(i % 50), "");
      continue;
    }
    screen.sprites.Append(s);
  }
}

void drawFrames(benchmark::State& state, int kind, int count) {
  fillList(kind, count);
  ScreenState& screen = screenState();
  platform::Image& picture = screen.picture();
  for (auto _ : state) {
    screen.sprites.DrawAll(picture, screen.patterns);
    benchmark::DoNotOptimize(picture.pixels.data());
  }
  screen.sprites.Clear();
}

// What the sprites write at the least: every pixel of every sprite once.
void plainCopy(benchmark::State& state, size_t pixels) {
  std::vector<uint32_t> from(pixels, 0x12345678), to(pixels);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), pixels * 4);
    benchmark::DoNotOptimize(to.data());
  }
}

void BM_KeyedPatterns10000(benchmark::State& state) {
  drawFrames(state, 0, 10000);
}
void BM_PlainCopyOf10000Patterns(benchmark::State& state) {
  plainCopy(state, 10000 * 32 * 32);
}
void BM_TransformedPatterns2000(benchmark::State& state) {
  drawFrames(state, 1, 2000);
}
void BM_PlainCopyOf2000Patterns(benchmark::State& state) {
  plainCopy(state, 2000 * 32 * 32);
}
void BM_CachedTexts500(benchmark::State& state) {
  drawFrames(state, 2, 500);
}

BENCHMARK(BM_KeyedPatterns10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainCopyOf10000Patterns)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TransformedPatterns2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainCopyOf2000Patterns)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CachedTexts500)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
