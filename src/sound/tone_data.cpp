#include "sound/tone_data.h"

#include <cstring>

namespace zunka::sound {

Waveforms defaultWaveforms() {
  Waveform square{};
  for (int i = 0; i < kWaveLength; ++i) square[i] = i < kWaveLength / 2 ? 103 : 153;
  Waveforms all;
  all.fill(square);
  return all;
}

Envelopes defaultEnvelopes() {
  Envelope falling{};
  for (int j = 0; j < kEnvelopeSteps; ++j) falling[j] = static_cast<uint8_t>((31 - j) / 2);
  Envelopes all;
  all.fill(falling);
  return all;
}

bool readToneFile(std::string_view bytes, Waveforms& waveforms, Envelopes& envelopes) {
  if (bytes.size() < kToneFileSize) return false;
  const char* at = bytes.data();
  for (Waveform& w : waveforms) {
    std::memcpy(w.data(), at, w.size());
    at += w.size();
  }
  for (Envelope& e : envelopes) {
    std::memcpy(e.data(), at, e.size());
    at += e.size();
  }
  return true;
}

}  // namespace zunka::sound
