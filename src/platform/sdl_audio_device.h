#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/audio_device.h"

namespace zunka::platform {

// The host's sound card through SDL2's audio callback. The callback runs on
// SDL's thread and shares nothing with the player but atomics: a copy of the
// ring (each sample an atomic, stored by update and loaded by the callback), the
// ring length, the count of consumed samples, and a single-producer,
// single-consumer queue that carries consumed samples back while recording. It
// never blocks and never allocates. The card is opened when first started and
// closed when stopped.
class SdlAudioDevice final : public AudioDevice {
 public:
  SdlAudioDevice();
  ~SdlAudioDevice() override;
  SdlAudioDevice(const SdlAudioDevice&) = delete;
  SdlAudioDevice& operator=(const SdlAudioDevice&) = delete;

  int32_t start(int32_t length) override;
  void stop() override;
  int64_t consumed() override { return consumed_.load(std::memory_order_acquire); }
  void update(const int16_t* ring, int32_t length) override;
  void startRecording() override { recording_.store(true, std::memory_order_release); }
  void takeRecorded(std::vector<int16_t>& out) override;
  int64_t recordingDropped() const override { return dropped_.load(std::memory_order_relaxed); }

 private:
  static void callback(void* self, uint8_t* stream, int bytes);
  void fill(int16_t* out, int32_t count);

  // About 12 s of sound: the player's thread drains it many times a second.
  static constexpr uint32_t kQueueCapacity = 1u << 19;

  uint32_t device_ = 0;  // SDL_AudioDeviceID; 0 while closed
  bool subsystemStarted_ = false;
  std::unique_ptr<std::atomic<int16_t>[]> ring_;
  std::atomic<int32_t> length_{1};
  std::atomic<int64_t> consumed_{0};
  std::atomic<bool> recording_{false};
  std::unique_ptr<int16_t[]> queue_;
  std::atomic<uint64_t> queueHead_{0};  // written by the callback
  std::atomic<uint64_t> queueTail_{0};  // written by the player's thread
  std::atomic<int64_t> dropped_{0};
};

}  // namespace zunka::platform
