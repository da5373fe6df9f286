#pragma once
#include <cstdint>
#include <memory>
#include <string>

// MIDI files played by a General MIDI synthesiser (FluidSynth) with a sound
// font, either to the sound card or rendered offline into samples. Only the MIDI
// player program links this.
namespace zunka::platform {

class MidiSynth {
 public:
  static constexpr int32_t kSampleRate = 44100;

  // A synthesiser with the sound font loaded; `live` also opens the sound card
  // (a machine without one still gets a synthesiser, which then plays silently).
  // Nothing, with `error`, when the font cannot be loaded.
  static std::unique_ptr<MidiSynth> create(const std::string& soundFont, bool live,
                                           std::string& error);
  virtual ~MidiSynth() = default;

  virtual bool hasOutput() const = 0;
  // Stops what plays and plays the file from its start, over and over when
  // `loop`; false when it is not a MIDI file the synthesiser can read.
  virtual bool play(const std::string& file, bool loop) = 0;
  virtual void stop() = 0;
  virtual bool playing() const = 0;
  // Offline: the next `frames` stereo frames (left, right interleaved); the
  // file plays in their time.
  virtual void render(int16_t* out, int32_t frames) = 0;
};

// The sound font to use: `configured` when given, else $ZUNKA_SOUNDFONT, else
// the first General MIDI font of Debian's that exists; "" when none does.
std::string findSoundFont(const std::string& configured);

}  // namespace zunka::platform
