// Fuzz target: WAV conversion on arbitrary bytes. Besides memory safety it
// checks what a conversion promises: a refused file converts to nothing, a
// converted one has each frame repeated 44100 / rate times within the size
// limit, and its tone copy is a power of two long and silent from the last
// sample on.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sound/wav_loader.h"

using zunka::sound::TWavLoader;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TWavLoader w = TWavLoader::fromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  if (w.hasError()) {
    if (!w.data().empty()) __builtin_trap();
    return 0;
  }
  const TWavLoader::Format& f = w.format();
  if (f.sampleRate == 0 || f.sampleRate > 44100 || f.blockAlign == 0) __builtin_trap();
  size_t repeats = 44100 / f.sampleRate;
  if (w.data().size() % repeats != 0 || w.data().size() > TWavLoader::kMaxSamples) __builtin_trap();
  TWavLoader tone = w.toneCopy();
  size_t length = tone.data().size();
  if (length != size_t(1) << tone.indexWidth() || length < w.data().size()) __builtin_trap();
  for (size_t i = w.data().empty() ? 0 : w.data().size() - 1; i < length; ++i)
    if (tone.data()[i] != 128) __builtin_trap();
  return 0;
}
