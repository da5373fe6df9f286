#pragma once
#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "sound/channel.h"
#include "sound/sound_files.h"
#include "sound/sound_generator.h"
#include "sound/tone_data.h"
#include "sound/wav_loader.h"

// The ten-channel wavetable synthesiser with its sequencer and effect mixer.
//
// Render schedule. The device loops over the ring on its own; the player calls
// render(devicePosition) regularly on its own thread (one pass per 50 ms tick,
// 2,205 samples, and again whenever it wants the ring topped up, e.g. before a
// blocking message box). Each pass makes one sample for every ring position the
// device has played since the last pass and writes it there, so music is heard
// one ring length after it is rendered (20,000 samples, about 0.45 s, with the
// player's settings). The device must not play more than one ring length
// between two passes. Effects are mixed at once ahead of the play position
// (playEffect) and are heard `effectDelay` samples after the call.
//
// A headless device (VirtualWaveOut) plays 44,100 samples per second of virtual
// time: play(count), then render(position()), and what play handed over is
// exactly what a sound card would have sounded.
//
// Where the rules leave a choice, this is what the synthesiser does:
// - Within one sample a channel first sounds with the state it has, then its
//   phase, vibrato and envelope advance, then a glide sets the increment, and
//   only then do the commands that are due run; their note is heard from the
//   next sample on.
// - A channel whose amplitude is 0 (resting, envelope or volume at 0) neither
//   sounds nor advances its phase, nor its vibrato or vibrato delay; its
//   envelope advances all the same.
// - "Every second sample" counts from the first sample of each render pass.
// - A note's next event is its own event time plus twice its duration (not the
//   clock's time plus), so tempi that do not divide 120 keep their pace.
// - A glide's length is its duration as written, in duration units, while it
//   runs for twice that many ticks: the increment passes the start note's half
//   way and reaches the end note when the glide ends. A glide of duration 0
//   takes the end note's increment at once.
// - Stopping a channel marks it stopped first, then releases the waiting
//   channels when none is playing any more, so the last channel to stop
//   releases them.
// - The slot byte of a sample load counts slots 0 ... 15 (tones 96 ... 111).
namespace zunka::sound {

class TEnveloper : public TSoundGenerator {
 public:
  TEnveloper(WaveOut& device, SoundFiles& files);

  // Gives the channel a sequence to play from its first command on, or none
  // (null or empty), which stops it.
  void setChannelSequence(int32_t channel, std::shared_ptr<const Sequence> sequence);
  void stopChannel(int32_t channel);
  void stopAllChannels();
  // When no channel is playing any more, every waiting channel plays again from
  // the next tick.
  void releaseWaitingChannels();
  // Tone 0 ... 95: a built-in waveform; 96 ... 111: a loaded sample slot
  // (one-shot); anything else, or an empty slot, changes nothing.
  void setTone(int32_t channel, int32_t tone);
  // Loads a WAV file into sample slot 0 ... 15, trying the program's directory
  // when the path does not exist; channels playing the slot go back to tone 0.
  void loadSampledTone(std::string_view file, int32_t slot);

  // Plays `count` bytes of `data` (8-bit unsigned) at `volume` in the first free
  // effect slot from `firstSlot` on, else in slot 9; what fits ahead of the play
  // position is mixed into the ring at once, scaled by the master volume as the
  // renderer scales what it mixes. `data` must outlive the effect, or
  // be withdrawn with forgetEffect.
  void playEffect(int32_t firstSlot, const uint8_t* data, int32_t volume, int32_t count,
                  int64_t devicePosition);
  // Empties every effect slot playing from [data, data + length).
  void forgetEffect(const uint8_t* data, size_t length);

  // One mixing pass up to the device's play position (see above). Nothing while
  // the device is closed.
  void render(int64_t devicePosition);

  int32_t tempo() const { return tempo_; }
  void setTempo(int32_t tempo);
  // 256 and above leave the mix as it is; below, it is scaled by volume / 256,
  // and nothing below 0 is kept (it would turn the mix upside down).
  int32_t masterVolume() const { return masterVolume_; }
  void setMasterVolume(int32_t volume) { masterVolume_ = std::clamp(volume, 0, 256); }
  int32_t effectDelay() const { return effectDelay_; }
  void setEffectDelay(int32_t samples) { effectDelay_ = samples; }

  int64_t clock() const { return clock_; }
  const Channel& channel(int32_t index) const { return channels_[index]; }
  Envelopes& envelopes() { return envelopes_; }
  const TWavLoader* sampleSlot(int32_t slot) const;
  int32_t effectSlotRemaining(int32_t slot) const { return effects_[slot].remaining; }

 private:
  struct EffectSlot {
    const uint8_t* at = nullptr;
    int32_t remaining = 0;
    int32_t volume = 0;
  };

  int64_t mixChannel(Channel& c, bool secondSample);
  void advanceClock() {
    clock_ += tempoWholeTicks_;
    tempoAccumulator_ += tempoRemainder_;
    if (tempoAccumulator_ >= 120) {
      tempoAccumulator_ -= 120;
      ++clock_;
    }
  }
  int64_t mixEffects();

  // The sequencer (sequencer.cpp).
  void runDueCommands(Channel& c);
  void executeCommand(Channel& c, int32_t& jumps);
  void playNote(Channel& c, int32_t note, int32_t duration);
  void startGlide(Channel& c, int32_t from, int32_t to, int32_t duration);
  void stop(Channel& c);
  void setTone(Channel& c, int32_t tone);
  uint32_t noteIncrement(const Channel& c, int32_t note) const;
  int32_t tunedIncrement(const Channel& c, int32_t note) const;

  SoundFiles& files_;
  const int8_t* sine_;
  Envelopes envelopes_;
  std::array<std::unique_ptr<TWavLoader>, kSampleSlotCount> sampleSlots_;
  std::array<Channel, kMusicChannels> channels_;
  std::array<EffectSlot, kEffectSlots> effects_;
  int32_t tempo_ = 120;
  int32_t tempoWholeTicks_ = 1;  // tempo / 120
  int32_t tempoRemainder_ = 0;   // tempo % 120
  int32_t tempoAccumulator_ = 0;
  int64_t clock_ = 0;
  int32_t masterVolume_ = 256;
  int32_t effectDelay_ = 1000;
};

}  // namespace zunka::sound
