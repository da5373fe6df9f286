#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "sound/tone_data.h"
#include "sound/tone_tables.h"

using namespace zunka::sound;

namespace {

TEST(ToneTables, EachIncrementWrapsThePhaseAtItsNotesFrequency) {
  // A 32-bit phase advanced 44,100 times a second by the increment wraps
  // increment * 44100 / 2^32 times a second; the note is 3579545 / (32 P) Hz.
  for (int n = 0; n < kToneCount; ++n) {
    double wraps = pitchTable()[n] * 44100.0 / 4294967296.0;
    double note = 3579545.0 / (32.0 * kTonePeriods[n]);
    EXPECT_NEAR(wraps / note, 1.0, 1e-6) << n;
  }
  EXPECT_NEAR(3579545.0 / (32.0 * kTonePeriods[0]), 32.7, 0.05);
  // Twelve notes to the octave, within the periods' rounding.
  for (int n = 0; n + 12 < kToneCount; ++n)
    EXPECT_NEAR(double(pitchTable()[n + 12]) / pitchTable()[n], 2.0, 0.08) << n;
  EXPECT_EQ(pitchTable()[36] / 65536, 388);
}

TEST(ToneTables, SineTableByHand) {
  const auto& sine = sineTable();
  EXPECT_EQ(sine[0], 0);
  EXPECT_EQ(sine[256], 89);  // 127 * 0.7071 = 89.8
  EXPECT_EQ(sine[512], 127);
  EXPECT_EQ(sine[1024], 0);
  EXPECT_EQ(sine[1280], -89);
  EXPECT_EQ(sine[1536], -127);
  EXPECT_EQ(sine[1], 0);  // 127 * sin(2 pi / 2048) = 0.39
  EXPECT_EQ(sine[3], 1);  // 1.17
}

TEST(ToneTables, DefaultTonesAndTheToneFileLayout) {
  Waveforms waves = defaultWaveforms();
  Envelopes envelopes = defaultEnvelopes();
  EXPECT_EQ(waves[0][15], 103);
  EXPECT_EQ(waves[95][16], 153);
  EXPECT_EQ(envelopes[0][0], 15);
  EXPECT_EQ(envelopes[15][1], 15);
  EXPECT_EQ(envelopes[3][2], 14);
  EXPECT_EQ(envelopes[3][31], 0);
  EXPECT_EQ(kToneFileSize, 3584u);
  std::string file(kToneFileSize, '\0');
  for (size_t i = 0; i < file.size(); ++i) file[i] = char(i % 251);
  ASSERT_TRUE(readToneFile(file, waves, envelopes));
  EXPECT_EQ(waves[1][0], 32);
  EXPECT_EQ(waves[95][31], (95 * 32 + 31) % 251);
  EXPECT_EQ(envelopes[0][0], (96 * 32) % 251);
  EXPECT_EQ(envelopes[15][31], (3583) % 251);
  EXPECT_FALSE(readToneFile(file.substr(1), waves, envelopes));
}

}  // namespace
