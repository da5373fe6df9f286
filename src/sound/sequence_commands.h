#pragma once
#include <cstdint>

// The command bytes of a channel's sequence. Bytes 0 to 95 are notes; operands
// follow the command byte, 16- and 32-bit ones little-endian; durations count
// units of two clock ticks.
namespace zunka::sound::command {

constexpr uint8_t kLastNote = 95;        // note n: duration (16)
constexpr uint8_t kRest = 'c';           // duration (16)
constexpr uint8_t kVolume = 'd';         // byte
constexpr uint8_t kEnvelopeSpeed = 'e';  // byte
constexpr uint8_t kTone = 'f';           // byte: 0-95 built in, 96-111 sampled
constexpr uint8_t kTempo = 'g';          // 16-bit, for every channel
constexpr uint8_t kJump = 'h';           // signed 32-bit offset from this command
constexpr uint8_t kTie = 'i';            // -
constexpr uint8_t kGlide = 'j';          // from note, to note, duration (16)
constexpr uint8_t kEnvelope = 'k';       // byte
constexpr uint8_t kWait = 'l';           // -
constexpr uint8_t kTitle = 'm';          // zero-terminated text
constexpr uint8_t kDetune = 'n';         // signed byte
constexpr uint8_t kRemark = 'o';         // zero-terminated text
constexpr uint8_t kNothing = 'p';        // -
constexpr uint8_t kWaveform = 'q';       // tone, 32 bytes
constexpr uint8_t kEnvelopeShape = 'r';  // envelope, 32 steps
constexpr uint8_t kVibrato = 's';        // reset flag, speed, depth
constexpr uint8_t kOneShot = 't';        // byte: 1 one-shot
constexpr uint8_t kLoadSample = 'u';     // zero-terminated file name, slot
constexpr uint8_t kVibratoDelay = 'v';   // byte
constexpr uint8_t kSecondVolume = 'w';   // byte
constexpr uint8_t kEnd = 255;            // -

}  // namespace zunka::sound::command
