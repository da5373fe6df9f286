#include "midi/midi_render.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/files.h"
#include "platform/midi_synth.h"

namespace zunka::midi {
namespace {

constexpr int32_t kBlockFrames = 512;
constexpr int32_t kTailFrames = platform::MidiSynth::kSampleRate;
// Ten minutes: a file that never ends (or claims to last for hours) is cut.
constexpr int64_t kMaxFrames = int64_t(platform::MidiSynth::kSampleRate) * 600;

void put(std::string& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(v >> (8 * i) & 0xFF));
}

std::string stereoWav(const std::vector<int16_t>& frames) {
  auto dataBytes = static_cast<uint32_t>(frames.size() * 2);
  std::string out = "RIFF";
  put(out, 36 + dataBytes, 4);
  out += "WAVEfmt ";
  put(out, 16, 4);
  put(out, 1, 2);  // PCM
  put(out, 2, 2);  // stereo
  put(out, platform::MidiSynth::kSampleRate, 4);
  put(out, platform::MidiSynth::kSampleRate * 4, 4);
  put(out, 4, 2);
  put(out, 16, 2);
  out += "data";
  put(out, dataBytes, 4);
  for (int16_t s : frames) put(out, static_cast<uint16_t>(s), 2);
  return out;
}

}  // namespace

int renderFile(const std::string& midiFile, const std::string& wavFile,
               const std::string& soundFont) {
  std::string error;
  auto synth = platform::MidiSynth::create(platform::findSoundFont(soundFont), false, error);
  if (!synth) {
    std::fprintf(stderr, "zunka-midi: %s\n", error.c_str());
    return 1;
  }
  if (!synth->play(midiFile, false)) {
    std::fprintf(stderr, "zunka-midi: %s is not a MIDI file it can play\n", midiFile.c_str());
    return 1;
  }
  std::vector<int16_t> samples;
  int64_t frames = 0, tail = 0;
  while (tail < kTailFrames && frames < kMaxFrames) {
    size_t at = samples.size();
    samples.resize(at + 2 * kBlockFrames);
    synth->render(samples.data() + at, kBlockFrames);
    frames += kBlockFrames;
    if (!synth->playing()) tail += kBlockFrames;
  }
  if (!platform::writeFile(platform::systemPath(wavFile), stereoWav(samples))) {
    std::fprintf(stderr, "zunka-midi: cannot write %s\n", wavFile.c_str());
    return 1;
  }
  return 0;
}

}  // namespace zunka::midi
