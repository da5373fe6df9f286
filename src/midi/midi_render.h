#pragma once
#include <string>

namespace zunka::midi {

// Renders a MIDI file once through the synthesiser into a WAV file (stereo,
// 44,100 Hz, 16-bit), with a second of the last notes' tails; the file is
// written beside its target and renamed. The exit status: 0, or 1 with the
// reason on standard error.
int renderFile(const std::string& midiFile, const std::string& wavFile,
               const std::string& soundFont);

}  // namespace zunka::midi
