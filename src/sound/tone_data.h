#pragma once
#include <array>
#include <cstdint>
#include <string_view>

#include "sound/sound_format.h"

// The synthesiser's tone data: waveforms and envelopes, built in or read from
// a tones.wdt file.
namespace zunka::sound {

using Waveform = std::array<uint8_t, kWaveLength>;
using Envelope = std::array<uint8_t, kEnvelopeSteps>;
using Waveforms = std::array<Waveform, kToneCount>;
using Envelopes = std::array<Envelope, kEnvelopeCount>;

// Square waves: 16 samples of 103, then 16 of 153.
Waveforms defaultWaveforms();
// Every envelope falls linearly from 15: step j is (31 - j) / 2.
Envelopes defaultEnvelopes();

// Reads a tones.wdt image: the 96 waveforms, tone 0 first, then the 16
// envelopes. False, changing nothing, when it is shorter than that; bytes past
// the envelopes are ignored.
bool readToneFile(std::string_view bytes, Waveforms& waveforms, Envelopes& envelopes);

}  // namespace zunka::sound
