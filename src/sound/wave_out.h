#pragma once
#include <cstdint>
#include <string>

// The output device the ring buffer plays on. The device loops over the ring
// on its own, in the output format (mono, 44,100 Hz, 16-bit signed), and tells
// how far it has played; the synthesiser rewrites the samples the device has
// just played, which it plays again one ring length later. Rendering runs on the
// player's thread: a device that reads the ring from a thread of its own (an
// audio callback) must copy what it plays under a lock that render also takes,
// or take a copy on the player's thread whenever the ring changes (ringChanged).
namespace zunka::sound {

class WaveOut {
 public:
  virtual ~WaveOut() = default;
  // Starts looping over `ring[0 .. length)` from its first sample. Gives 0, or the
  // platform's result code of the step that failed.
  virtual int32_t start(const int16_t* ring, int32_t length) = 0;
  // Stops playing; the ring is no longer read.
  virtual void stop() = 0;
  // Samples played since the last start (not reduced modulo the ring length).
  virtual int64_t position() const = 0;
  // The synthesiser has written into the ring (a render pass, an effect mixed
  // ahead): a device playing a copy of it takes the new samples now.
  virtual void ringChanged() {}
};

// The name of a device result code: "MMSYSERR_NOERROR" for 0 and the other
// known names, else "MMSYSTEM" and the code in decimal.
std::string deviceErrorText(int32_t code);

}  // namespace zunka::sound
