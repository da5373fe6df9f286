#pragma once
#include <cstdint>
#include <vector>

#include "platform/audio_device.h"
#include "platform/clock_source.h"

namespace zunka::platform {

// The sound card of a run without one: it consumes 44,100 samples for every
// second of the given (virtual) clock since it started, a 50 ms period of 2,205
// samples at a time, as a card with a 50 ms hardware buffer would. Consuming
// happens when the card is next asked about (consumed, update, stop,
// takeRecorded), so what it consumed is the ring as last handed over before the
// clock passed the period's end: a headless run hears a pure function of what
// was rendered and when.
class VirtualAudioDevice final : public AudioDevice {
 public:
  static constexpr int32_t kPeriodSamples = 2205;
  static constexpr double kPeriodMilliseconds = 50;

  explicit VirtualAudioDevice(const ClockSource& clock);
  int32_t start(int32_t length) override;
  void stop() override;
  int64_t consumed() override;
  void update(const int16_t* ring, int32_t length) override;
  void startRecording() override { recording_ = true; }
  void takeRecorded(std::vector<int16_t>& out) override;

 private:
  void catchUp();

  const ClockSource& clock_;
  std::vector<int16_t> ring_;
  int32_t length_ = 0;
  bool playing_ = false;
  double startedAt_ = 0;
  int64_t consumed_ = 0;
  bool recording_ = false;
  std::vector<int16_t> recorded_;
};

}  // namespace zunka::platform
