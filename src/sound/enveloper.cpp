#include "sound/enveloper.h"

#include <algorithm>

#include "sound/tone_tables.h"

namespace zunka::sound {
namespace {

int32_t ringIndex(int64_t position, int32_t length) {
  int64_t r = position % length;
  return static_cast<int32_t>(r < 0 ? r + length : r);
}

int16_t clampSample(int64_t value) {
  return static_cast<int16_t>(std::clamp<int64_t>(value, INT16_MIN, INT16_MAX));
}

// A one-shot tone stops once its phase has wrapped below zero and come within
// two increments of wrapping back to zero: it holds the sample's last byte.
bool holdsAtEnd(const Channel& c) {
  auto phase = static_cast<int32_t>(c.phase);
  return phase < 0 && int64_t(phase) + 2 * int64_t(static_cast<int32_t>(c.increment)) >= 0;
}

}  // namespace

TEnveloper::TEnveloper(WaveOut& device, SoundFiles& files)
    : TSoundGenerator(device),
      files_(files),
      sine_(sineTable().data()),
      envelopes_(defaultEnvelopes()) {
  for (Channel& c : channels_) c.wave = waveforms_[0].data();
}

void TEnveloper::setTempo(int32_t tempo) {
  tempo_ = tempo;
  tempoWholeTicks_ = tempo / 120;
  tempoRemainder_ = tempo % 120;
}

const TWavLoader* TEnveloper::sampleSlot(int32_t slot) const {
  return slot >= 0 && slot < kSampleSlotCount ? sampleSlots_[slot].get() : nullptr;
}

void TEnveloper::setChannelSequence(int32_t channel, std::shared_ptr<const Sequence> sequence) {
  if (channel < 0 || channel >= kMusicChannels) return;
  Channel& c = channels_[channel];
  c.position = 0;
  if (!sequence || sequence->empty()) {
    c.sequence.reset();
    stop(c);
    return;
  }
  c.sequence = std::move(sequence);
  c.state = ChannelState::Playing;
  c.nextEvent = clock_;
}

void TEnveloper::stopChannel(int32_t channel) {
  if (channel >= 0 && channel < kMusicChannels) stop(channels_[channel]);
}

void TEnveloper::stopAllChannels() {
  for (Channel& c : channels_) stop(c);
}

void TEnveloper::releaseWaitingChannels() {
  for (const Channel& c : channels_)
    if (c.state == ChannelState::Playing) return;
  for (Channel& c : channels_) {
    if (c.state != ChannelState::Waiting) continue;
    c.state = ChannelState::Playing;
    c.nextEvent = clock_ + 1;
  }
}

void TEnveloper::stop(Channel& c) {
  c.state = ChannelState::Stopped;
  releaseWaitingChannels();
}

void TEnveloper::setTone(int32_t channel, int32_t tone) {
  if (channel >= 0 && channel < kMusicChannels) setTone(channels_[channel], tone);
}

void TEnveloper::setTone(Channel& c, int32_t tone) {
  if (tone >= 0 && tone < kToneCount) {
    c.tone = tone;
    c.wave = waveforms_[tone].data();
    c.indexWidth = kWaveIndexWidth;
    c.oneShot = false;
    return;
  }
  const TWavLoader* sample = sampleSlot(tone - kFirstSampledTone);
  if (!sample) return;
  c.tone = tone;
  c.wave = sample->data().data();
  c.indexWidth = sample->indexWidth();
  c.oneShot = true;
}

void TEnveloper::loadSampledTone(std::string_view file, int32_t slot) {
  if (slot < 0 || slot >= kSampleSlotCount) return;
  std::string path(file);
  if (!files_.exists(path)) {
    path = files_.programDirectory() + "\\" + std::string(file);
    if (!files_.exists(path)) return;
  }
  for (Channel& c : channels_)
    if (c.tone == kFirstSampledTone + slot) setTone(c, 0);
  std::string bytes;
  TWavLoader loaded =
      files_.read(path, bytes) ? TWavLoader::fromBytes(bytes) : TWavLoader::unopened();
  if (loaded.hasError()) return;
  sampleSlots_[slot] = std::make_unique<TWavLoader>(loaded.toneCopy());
}

void TEnveloper::playEffect(int32_t firstSlot, const uint8_t* data, int32_t volume, int32_t count,
                            int64_t devicePosition) {
  if (!data || count <= 0) return;
  int32_t chosen = kEffectSlots - 1;  // taken over when every slot is busy
  for (int32_t s = std::max(firstSlot, 0); s < kEffectSlots; ++s) {
    if (effects_[s].remaining <= 0) {
      chosen = s;
      break;
    }
  }
  EffectSlot& slot = effects_[chosen];
  slot = {data, count, volume};
  if (!isOpen()) return;
  // Mixed at once into what the device plays next, from `effectDelay` samples
  // ahead up to where the renderer will go on writing.
  int32_t length = activeLength_;
  int32_t at = ringIndex(devicePosition + effectDelay_, length);
  while (slot.remaining > 0 && at != writePosition_) {
    // The master volume counts here too, as it does for what the renderer
    // mixes: a game turned down (or off) must not hear its effects at full volume.
    int64_t effect = int64_t(*slot.at - 128) * slot.volume;
    if (masterVolume_ < 256) effect = masterVolume_ * effect / 256;
    ring_[at] = clampSample(ring_[at] + effect);
    ++slot.at;
    --slot.remaining;
    at = at + 1 == length ? 0 : at + 1;
  }
  device_.ringChanged();
}

void TEnveloper::forgetEffect(const uint8_t* data, size_t length) {
  for (EffectSlot& slot : effects_) {
    if (slot.remaining > 0 && slot.at >= data && slot.at <= data + length) slot = {};
  }
}

void TEnveloper::render(int64_t devicePosition) {
  if (!isOpen()) return;
  int32_t length = activeLength_;
  playPosition_ = ringIndex(devicePosition, length);
  if (resync_) {
    writePosition_ = playPosition_ == 0 ? length - 1 : playPosition_ - 1;
    resync_ = false;
  }
  int64_t made = 0;
  while (writePosition_ != playPosition_) {
    bool secondSample = ++made % 2 == 0;  // the 2nd, 4th, ... sample of this pass
    int64_t mix = 0;
    for (Channel& c : channels_) mix += mixChannel(c, secondSample);
    advanceClock();
    mix += mixEffects();
    if (masterVolume_ < 256) mix = masterVolume_ * mix / 256;
    ring_[writePosition_] = clampSample(mix);
    stirNoise();
    writePosition_ = writePosition_ + 1 == length ? 0 : writePosition_ + 1;
  }
  if (made > 0) device_.ringChanged();
}

int64_t TEnveloper::mixEffects() {
  int64_t mix = 0;
  for (EffectSlot& slot : effects_) {
    if (slot.remaining <= 0) continue;
    mix += int64_t(*slot.at - 128) * slot.volume;
    ++slot.at;
    --slot.remaining;
  }
  return mix;
}

// One channel's share of one sample, and its step to the next.
int64_t TEnveloper::mixChannel(Channel& c, bool secondSample) {
  if (!c.sequence) {
    if (c.state != ChannelState::Stopped) stop(c);
    return 0;
  }
  if (c.state != ChannelState::Playing) return 0;
  int64_t out = 0;
  int64_t amplitude = c.rest ? 0
                             : int64_t(envelopes_[c.envelope][c.envelopePosition >> 11]) *
                                   c.volume * c.secondVolume;
  if (amplitude > 0) {
    int32_t w = c.wave[uint64_t(c.phase) >> (32 - c.indexWidth)];
    out = amplitude * w / 2048 - amplitude / 16;
    if (!(c.oneShot && holdsAtEnd(c))) c.phase += c.increment;
    if (c.vibratoSpeed != 0) {
      if (c.vibratoCounter < 1) {
        int64_t swing = int64_t(sine_[c.vibratoPhase >> 21]) *
                        (static_cast<int32_t>(c.increment) / 512) * c.vibratoDepth / 256;
        c.phase += static_cast<uint32_t>(swing);
        if (secondSample) c.vibratoPhase += c.vibratoSpeed;
      } else {
        c.vibratoCounter -= tempo_;
      }
    }
  }
  if (secondSample && c.envelopePosition + c.envelopeSpeed < 65536)
    c.envelopePosition += c.envelopeSpeed;
  if (c.gliding) {
    // (end / L) * (L + clock - T) + (start / L) * (T - clock), the quotients
    // taken when the glide started. Only the low 32 bits count, and a rest after
    // a glide goes on extrapolating it, so this wraps (unsigned) rather than
    // overflows.
    uint64_t left = uint64_t(c.glideEndTime - clock_);
    c.increment =
        static_cast<uint32_t>(uint64_t(c.glideEndStep) * (uint64_t(c.glideLength) - left) +
                              uint64_t(c.glideStartStep) * left);
  }
  if (c.state == ChannelState::Playing && clock_ >= c.nextEvent) runDueCommands(c);
  return out;
}

}  // namespace zunka::sound
