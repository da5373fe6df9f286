#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "sound/sound_format.h"

namespace zunka::sound {

enum class ChannelState : uint8_t { Playing = 0, Stopped = 1, Waiting = 2 };

using Sequence = std::vector<uint8_t>;

// One music channel: where it is in its sequence and everything that shapes its
// voice. Phases and increments are 32-bit and wrap; the sign of the phase
// matters only to one-shot tones, which come to rest just before it wraps back
// to zero.
struct Channel {
  // The channel's share of the music file, kept alive while it plays.
  std::shared_ptr<const Sequence> sequence;
  size_t position = 0;  // of the next command
  ChannelState state = ChannelState::Stopped;
  int64_t nextEvent = 0;  // clock time of the next command
  bool rest = false;
  bool tie = false;  // the next note keeps envelope and phase

  int32_t envelope = 0;
  int32_t envelopePosition = 0;  // 0 ... 65535; the step is position / 2048
  int32_t envelopeSpeed = 5;
  int32_t volume = 0;
  int32_t secondVolume = 128;

  int32_t tone = 0;
  const uint8_t* wave = nullptr;  // 2^indexWidth bytes
  int32_t indexWidth = kWaveIndexWidth;
  bool oneShot = false;
  uint32_t phase = 0;
  uint32_t increment = 0;
  int32_t detune = 0;

  // A glide moves the increment from its start note's to its end note's; it
  // ends at clock time glideEndTime, and glideLength is its duration as the
  // command gave it. The steps are the two increments divided by that length.
  bool gliding = false;
  int64_t glideStartStep = 0;
  int64_t glideEndStep = 0;
  int64_t glideLength = 0;
  int64_t glideEndTime = 0;

  bool vibratoReset = false;
  uint32_t vibratoSpeed = 0;  // added to the vibrato phase every second sample
  int32_t vibratoDepth = 0;
  int64_t vibratoDelay = 0;  // in tempo units: the counter loses the tempo per sample
  int64_t vibratoCounter = 0;
  uint32_t vibratoPhase = 0;
};

}  // namespace zunka::sound
