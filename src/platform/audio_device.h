#pragma once
#include <cstdint>
#include <vector>

// A sound card that loops over a ring of samples: mono, 44,100 samples a second,
// 16-bit signed. The player renders into a ring of its own on its own thread and
// hands the ring over after every change (update); the card plays its copy, so
// no state of the player is ever touched by the card's thread. Between hand-overs
// it keeps looping over what it was given, as a card looping over one buffer
// does.
namespace zunka::platform {

constexpr int32_t kAudioSampleRate = 44100;
// The longest ring a card can loop over.
constexpr int32_t kAudioRingCapacity = 65536;
// Result codes of start(): the names the sound layer gives them.
constexpr int32_t kAudioOk = 0;
constexpr int32_t kAudioNoDriver = 6;      // no card could be opened
constexpr int32_t kAudioNotSupported = 8;  // a ring length outside 1 ... capacity
constexpr int32_t kAudioBadFormat = 32;    // the card refuses the format

class AudioDevice {
 public:
  virtual ~AudioDevice() = default;
  // Starts looping over a ring of `length` samples of silence, from its first
  // sample: kAudioOk or a result code. Starting a started card starts it afresh.
  virtual int32_t start(int32_t length) = 0;
  virtual void stop() = 0;
  // Samples the card has consumed since it started (not reduced modulo the ring).
  virtual int64_t consumed() = 0;
  // The ring as it is now: the card plays these samples from its next one on.
  virtual void update(const int16_t* ring, int32_t length) = 0;
  // From now on every consumed sample is kept for takeRecorded.
  virtual void startRecording() = 0;
  // Appends what was consumed since the last call (while recording).
  virtual void takeRecorded(std::vector<int16_t>& out) = 0;
  // Samples consumed while recording that could not be kept (the player's thread
  // fell too far behind the card).
  virtual int64_t recordingDropped() const { return 0; }
};

}  // namespace zunka::platform
