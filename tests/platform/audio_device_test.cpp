// Sound cards: the virtual one in virtual time, and SDL's through its dummy
// driver (which consumes in real time on a thread of its own).
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/clock.h"
#include "platform/sdl_audio_device.h"
#include "platform/virtual_audio_device.h"
#include "platform/virtual_clock.h"

using namespace zunka::platform;

namespace {

std::vector<int16_t> ramp(int32_t length, int16_t offset) {
  std::vector<int16_t> r;
  for (int32_t i = 0; i < length; ++i) r.push_back(int16_t(offset + i));
  return r;
}

TEST(VirtualAudioDevice, ConsumesWholePeriodsOfTheClockFromTheRingAsLastHandedOver) {
  VirtualClock clock(1000);
  VirtualAudioDevice card(clock);
  EXPECT_EQ(card.start(0), kAudioNotSupported);
  EXPECT_EQ(card.start(kAudioRingCapacity + 1), kAudioNotSupported);
  ASSERT_EQ(card.start(3000), kAudioOk);
  card.startRecording();
  std::vector<int16_t> first = ramp(3000, 0), second = ramp(3000, 10000);
  card.update(first.data(), 3000);
  clock.advance(49);
  EXPECT_EQ(card.consumed(), 0);
  clock.advance(1);
  // The period that ended before this hand-over played the first ring.
  card.update(second.data(), 3000);
  EXPECT_EQ(card.consumed(), 2205);
  clock.advance(17 * 6);  // 152 ms: two more periods, the ring looping
  EXPECT_EQ(card.consumed(), 3 * 2205);
  std::vector<int16_t> heard;
  card.takeRecorded(heard);
  ASSERT_EQ(heard.size(), size_t(3 * 2205));
  for (size_t i = 0; i < heard.size(); ++i) {
    int16_t expected = i < 2205 ? first[i] : second[i % 3000];
    ASSERT_EQ(heard[i], expected) << i;
  }
  // Taken once; a stopped card consumes nothing more; a new start counts from 0.
  heard.clear();
  card.takeRecorded(heard);
  EXPECT_TRUE(heard.empty());
  card.stop();
  clock.advance(500);
  EXPECT_EQ(card.consumed(), 3 * 2205);
  ASSERT_EQ(card.start(3000), kAudioOk);
  EXPECT_EQ(card.consumed(), 0);
  clock.advance(50);
  card.takeRecorded(heard);
  EXPECT_EQ(heard, std::vector<int16_t>(2205, 0));  // a fresh ring is silent
}

// The callback plays the ring handed over, lap after lap, and what it consumed
// comes back through the recording queue in order.
TEST(SdlAudioDevice, PlaysTheHandedOverRingAndRecordsWhatItConsumed) {
  if (!std::getenv("SDL_AUDIODRIVER")) GTEST_SKIP() << "only on SDL's dummy driver";
  SdlAudioDevice card;
  if (card.start(1000) != kAudioOk) GTEST_SKIP() << "no SDL audio driver";
  card.startRecording();
  std::vector<int16_t> ring = ramp(1000, 5);
  card.update(ring.data(), 1000);
  std::vector<int16_t> heard;
  uint32_t started = tickCount();
  while (heard.size() < 6000 && tickCount() - started < 5000) {
    sleepMilliseconds(10);
    card.takeRecorded(heard);
  }
  card.stop();
  card.takeRecorded(heard);
  ASSERT_GE(heard.size(), 6000u);
  EXPECT_EQ(card.consumed(), int64_t(heard.size()));
  EXPECT_EQ(card.recordingDropped(), 0);
  // Whatever the callback read before the first hand-over was silence; from the
  // first ramp sample on it is the ring, lap after lap.
  size_t start = 0;
  while (start < heard.size() && heard[start] == 0) ++start;
  ASSERT_LT(start, 2000u);
  for (size_t i = start; i < heard.size(); ++i) ASSERT_EQ(heard[i], ring[(i) % 1000]) << i;
}

}  // namespace
