#include "platform/sdl_audio_device.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>

namespace zunka::platform {
namespace {

// 512 samples, about 12 ms, per callback: well inside the 1,000 samples by which
// effects are mixed ahead of the card.
constexpr Uint16 kCallbackSamples = 512;

}  // namespace

SdlAudioDevice::SdlAudioDevice()
    : ring_(new std::atomic<int16_t>[kAudioRingCapacity]), queue_(new int16_t[kQueueCapacity]) {
  for (int32_t i = 0; i < kAudioRingCapacity; ++i) ring_[i].store(0, std::memory_order_relaxed);
}

SdlAudioDevice::~SdlAudioDevice() {
  stop();
  if (subsystemStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

int32_t SdlAudioDevice::start(int32_t length) {
  if (length < 1 || length > kAudioRingCapacity) return kAudioNotSupported;
  stop();
  if (!subsystemStarted_) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      std::fprintf(stderr, "zunka: no sound: %s\n", SDL_GetError());
      return kAudioNoDriver;
    }
    subsystemStarted_ = true;
  }
  for (int32_t i = 0; i < length; ++i) ring_[i].store(0, std::memory_order_relaxed);
  length_.store(length, std::memory_order_relaxed);
  consumed_.store(0, std::memory_order_relaxed);
  SDL_AudioSpec want{};
  want.freq = kAudioSampleRate;
  want.format = AUDIO_S16SYS;
  want.channels = 1;
  want.samples = kCallbackSamples;
  want.callback = &SdlAudioDevice::callback;
  want.userdata = this;
  SDL_AudioSpec have{};
  // SDL converts to whatever the card wants: the callback always sees the format.
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device_ == 0) {
    std::fprintf(stderr, "zunka: no sound: %s\n", SDL_GetError());
    return kAudioNoDriver;
  }
  SDL_PauseAudioDevice(device_, 0);
  return kAudioOk;
}

void SdlAudioDevice::stop() {
  if (device_ == 0) return;
  // Closing waits for a running callback: nothing reads the ring afterwards.
  SDL_CloseAudioDevice(device_);
  device_ = 0;
}

void SdlAudioDevice::update(const int16_t* ring, int32_t length) {
  int32_t n = std::min(length, length_.load(std::memory_order_relaxed));
  for (int32_t i = 0; i < n; ++i) ring_[i].store(ring[i], std::memory_order_relaxed);
  std::atomic_thread_fence(std::memory_order_release);
}

void SdlAudioDevice::takeRecorded(std::vector<int16_t>& out) {
  uint64_t tail = queueTail_.load(std::memory_order_relaxed);
  uint64_t head = queueHead_.load(std::memory_order_acquire);
  for (; tail != head; ++tail) out.push_back(queue_[tail % kQueueCapacity]);
  queueTail_.store(tail, std::memory_order_release);
}

void SdlAudioDevice::callback(void* self, uint8_t* stream, int bytes) {
  static_cast<SdlAudioDevice*>(self)->fill(reinterpret_cast<int16_t*>(stream),
                                           bytes / int(sizeof(int16_t)));
}

void SdlAudioDevice::fill(int16_t* out, int32_t count) {
  std::atomic_thread_fence(std::memory_order_acquire);
  int32_t length = length_.load(std::memory_order_relaxed);
  int64_t at = consumed_.load(std::memory_order_relaxed);
  bool recording = recording_.load(std::memory_order_acquire);
  uint64_t head = queueHead_.load(std::memory_order_relaxed);
  uint64_t tail = queueTail_.load(std::memory_order_acquire);
  int64_t dropped = 0;
  for (int32_t i = 0; i < count; ++i) {
    int16_t sample = ring_[size_t((at + i) % length)].load(std::memory_order_relaxed);
    out[i] = sample;
    if (!recording) continue;
    if (head - tail < kQueueCapacity)
      queue_[head++ % kQueueCapacity] = sample;
    else
      ++dropped;
  }
  if (recording) queueHead_.store(head, std::memory_order_release);
  if (dropped) dropped_.fetch_add(dropped, std::memory_order_relaxed);
  consumed_.store(at + count, std::memory_order_release);
}

}  // namespace zunka::platform
