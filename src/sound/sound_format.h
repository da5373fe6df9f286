#pragma once
#include <cstddef>
#include <cstdint>

// The one sound format of the player: everything it plays, music and effects,
// is mixed into mono 16-bit signed samples at 44,100 per second.
namespace zunka::sound {

constexpr int32_t kSampleRate = 44100;
constexpr int32_t kChannelCount = 1;
constexpr int32_t kBitsPerSample = 16;
constexpr int32_t kBlockAlign = 2;
constexpr int32_t kAverageByteRate = kSampleRate * kBlockAlign;

// The ring buffer is a fixed array; only its first (active length) samples are used.
constexpr int32_t kRingCapacity = 65536;
constexpr int32_t kMinBufferLength = 256;
constexpr int32_t kMaxBufferLength = 59999;
constexpr int32_t kDefaultBufferLength = 22050;

// Built-in waveforms: 32 unsigned 8-bit samples each, 128 being silence.
constexpr int32_t kToneCount = 96;
constexpr int32_t kWaveLength = 32;
constexpr int32_t kWaveIndexWidth = 5;  // log2 of kWaveLength
constexpr int32_t kNoiseTone = 95;
// Envelopes: 32 steps of 0 to 15.
constexpr int32_t kEnvelopeCount = 16;
constexpr int32_t kEnvelopeSteps = 32;
constexpr int32_t kMaxEnvelopeStep = 15;
// Sampled tones 96 to 111 live in 16 slots.
constexpr int32_t kSampleSlotCount = 16;
constexpr int32_t kFirstSampledTone = kToneCount;

constexpr int32_t kMusicChannels = 10;
constexpr int32_t kEffectSlots = 10;

// tones.wdt: the 96 waveforms, then the 16 envelopes.
constexpr size_t kToneFileSize = kToneCount * kWaveLength + kEnvelopeCount * kEnvelopeSteps;

}  // namespace zunka::sound
