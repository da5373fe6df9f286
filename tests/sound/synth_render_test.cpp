// Renders of small sequences, sample for sample, against a plain statement of
// the voice (reference_voice.h) and against values worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "reference_voice.h"
#include "sound/tone_tables.h"
#include "sound_test_support.h"

using namespace zunka;
using namespace zunka::testing;
using sound::ChannelState;

namespace {

// Music starts at ring position 0 with the clock at 1: the commands due then run
// at the end of sample 0, so a note is heard from sample 1 on, and a note of
// duration d at tempo 120 sounds for 2d samples.
std::vector<int64_t> padded(std::vector<int64_t> voice, int before, int total) {
  voice.insert(voice.begin(), before, 0);
  voice.resize(total, 0);
  return voice;
}

std::vector<int64_t> widen(const std::vector<int16_t>& samples) {
  return {samples.begin(), samples.end()};
}

TEST(SynthRender, OneNoteOnTheDefaultToneAtTempo120) {
  SynthRig rig;
  rig.play(0, Seq().volume(15).note(36, 1000).rest(100).end());
  std::vector<int16_t> out = rig.render(2400);
  ReferenceVoice voice;
  voice.increment = referenceIncrement(36);
  EXPECT_EQ(widen(out), padded(voice.run(2000), 1, 2400));
  // By hand: amplitude 15 * 15 * 128 = 28800; the square's low half gives
  // 28800 * 103 / 2048 - 28800 / 16 = 1448 - 1800, its high half 2151 - 1800.
  EXPECT_EQ(out[1], -352);
  EXPECT_EQ(out[85], -352);
  EXPECT_EQ(out[86], 351);  // the phase passes 2^31 after 84.4 increments
  EXPECT_EQ(out[2001], 0);
}

TEST(SynthRender, TempoScalesTheLengthOfANote) {
  // Tempo 240 moves the clock two ticks a sample, tempo 60 one tick every second
  // sample: a note of duration 300 lasts 300 and 1200 samples.
  for (auto [tempo, samples] : {std::pair{240, 300}, std::pair{60, 1200}}) {
    SynthRig rig;
    rig.play(0, Seq().tempo(tempo).volume(15).note(36, 300).rest(100).end());
    std::vector<int16_t> out = rig.render(1600);
    ReferenceVoice voice;
    voice.increment = referenceIncrement(36);
    EXPECT_EQ(widen(out), padded(voice.run(samples), 1, 1600)) << "tempo " << tempo;
  }
}

TEST(SynthRender, TiedNoteKeepsEnvelopeAndPhase) {
  SynthRig rig;
  rig.play(0, Seq().volume(15).note(36, 1000).tie().note(43, 1000).end());
  std::vector<int16_t> out = rig.render(4100);
  ReferenceVoice voice;
  voice.increment = referenceIncrement(36);
  std::vector<int64_t> expected = voice.run(2000);
  voice.increment = referenceIncrement(43);  // and nothing else changes
  std::vector<int64_t> rest = voice.run(2000, 2001);
  expected.insert(expected.end(), rest.begin(), rest.end());
  EXPECT_EQ(widen(out), padded(expected, 1, 4100));

  // Untied, the second note starts its envelope again: louder than tied.
  SynthRig untied;
  untied.play(0, Seq().volume(15).note(36, 1000).note(43, 1000).end());
  std::vector<int16_t> fresh = untied.render(4100);
  auto loudest = [](const std::vector<int16_t>& v) {
    return *std::max_element(v.begin() + 3500, v.begin() + 4000);
  };
  EXPECT_GT(loudest(fresh), loudest(out));
}

TEST(SynthRender, GlideFollowsTheIncrementRuleOverTwiceItsLength) {
  SynthRig rig;
  rig.play(0, Seq().volume(15).glide(36, 48, 500).rest(10).end());
  std::vector<int16_t> out = rig.render(1100);
  // The glide ends at clock 1 + 1000 (duration 500 is 1000 ticks) with L = 500;
  // sample i runs at clock 1 + i, and its increment is set after it sounds.
  const int64_t start = referenceIncrement(36), end = referenceIncrement(48), L = 500, T = 1001;
  ReferenceVoice voice;  // the channel's increment before its first note is 0
  std::vector<int64_t> expected;
  for (int i = 1; i <= 1000; ++i) {
    expected.push_back(voice.sample(i % 2 == 1));
    int64_t clock = 1 + i;
    voice.increment = uint32_t(end / L * (L + clock - T) + start / L * (T - clock));
  }
  EXPECT_EQ(widen(out), padded(expected, 1, 1100));
}

TEST(SynthRender, VibratoStartsAfterItsDelay) {
  SynthRig rig;
  // Delay 2 is 88,200, less the tempo (120) per sounding sample: the first 735
  // samples run without vibrato.
  rig.play(0, Seq().volume(15).vibrato(1, 4, 40).raw({'v', 2}).note(45, 2000).end());
  std::vector<int16_t> out = rig.render(4002);
  ReferenceVoice plain;
  plain.increment = referenceIncrement(45);
  ReferenceVoice vibrato = plain;
  vibrato.vibratoSpeed = 4 << 16;
  vibrato.vibratoDepth = 40;
  vibrato.vibratoCounter = 2 * 44100;
  std::vector<int64_t> withVibrato = vibrato.run(4000);
  std::vector<int64_t> without = plain.run(4000);
  EXPECT_EQ(widen(out), padded(withVibrato, 1, 4002));
  EXPECT_TRUE(std::equal(without.begin(), without.begin() + 736, withVibrato.begin()));
  EXPECT_NE(without, withVibrato);
}

TEST(SynthRender, ALoopWithoutANoteStopsItsChannel) {
  SynthRig rig;
  rig.play(0, Seq().volume(15).jump(0));
  rig.play(1, Seq().volume(15).note(40, 100).jump(-3));  // loops over its note
  std::vector<int16_t> out = rig.render(2000);
  EXPECT_EQ(rig.synth.channel(0).state, ChannelState::Stopped);
  EXPECT_EQ(rig.synth.channel(1).state, ChannelState::Playing);
  ReferenceVoice voice;
  voice.increment = referenceIncrement(40);
  // The looped note starts its envelope afresh every 200 samples.
  std::vector<int64_t> expected;
  for (int n = 0; n < 9; ++n) {
    voice.envelopePosition = 0;
    std::vector<int64_t> one = voice.run(200, 1);
    expected.insert(expected.end(), one.begin(), one.end());
  }
  out.resize(1801);
  EXPECT_EQ(widen(out), padded(expected, 1, 1801));
}

TEST(SynthRender, WaitingChannelsResumeTogetherWhenNoOtherChannelPlays) {
  SynthRig rig;
  rig.play(0, Seq().volume(15).note(36, 100).wait().note(48, 100).end());
  rig.play(1, Seq().volume(15).wait().note(43, 100).end());
  rig.play(2, Seq().note(40, 500).end());  // silent (volume 0), but playing
  std::vector<int16_t> out = rig.render(1400);
  ReferenceVoice first;
  first.increment = referenceIncrement(36);
  std::vector<int64_t> expected = padded(first.run(200), 1, 1001);
  // Channel 2 stops at the end of sample 1000 and releases both for clock 1002:
  // in sample 1001 channel 0 still sounds its old note where it left off and
  // channel 1, which has had no note, holds its wave's first byte.
  expected.push_back(first.sample(true) - 352);
  // A note on a built-in tone keeps the phase where it is.
  ReferenceVoice a = first, b;
  a.envelopePosition = 0;
  a.increment = referenceIncrement(48);
  b.increment = referenceIncrement(43);
  std::vector<int64_t> va = a.run(200, 1002), vb = b.run(200, 1002);
  for (int i = 0; i < 200; ++i) expected.push_back(va[i] + vb[i]);
  std::vector<int64_t> got = widen(out);
  expected = padded(expected, 0, 1400);
  for (size_t i = 0; i < got.size(); ++i) ASSERT_EQ(got[i], expected[i]) << i;
  for (int c = 0; c < 3; ++c) EXPECT_EQ(rig.synth.channel(c).state, ChannelState::Stopped);
}

TEST(SynthRender, Tone95IsNoiseStirredOncePerSample) {
  SynthRig rig;
  rig.play(0, Seq().volume(15).tone(95).note(60, 400).end());
  std::vector<int16_t> out = rig.render(800);
  // The noise bytes come from a 32-bit linear congruential generator seeded with
  // 0: seed * 134775813 + 1, scaled to 0 ... 77 by its high bits. The rig's first
  // sample (before ring position 0) stirred byte 0 already.
  uint32_t seed = 0;
  int counter = 0;
  ReferenceVoice voice;
  auto stir = [&] {
    seed = seed * 134775813u + 1u;
    voice.wave[counter++ % 32] = 90 + int((uint64_t(seed) * 78) >> 32);
  };
  stir();
  voice.increment = referenceIncrement(60);
  std::vector<int64_t> expected{0};
  stir();
  for (int i = 1; i < 800; ++i) {
    expected.push_back(voice.sample(i % 2 == 1));
    stir();
  }
  EXPECT_EQ(widen(out), expected);
}

// A ramp sample of 100 bytes: byte j is 28 + j. As a tone it is 128 bytes long
// (index width 7) and silent from byte 99 on.
std::string rampWav() {
  std::vector<int> bytes;
  for (int j = 0; j < 100; ++j) bytes.push_back(28 + j);
  return wavFile(1, 44100, 8, bytes);
}

std::vector<int16_t> renderSampledNote(int note) {
  SynthRig rig;
  rig.files.files["\\prog\\ramp.wav"] = rampWav();  // found in the program's directory
  rig.play(0,
           Seq().loadSample("ramp.wav", 3).raw({'e', 0}).volume(15).tone(99).note(note, 200).end());
  return rig.render(402);
}

// One sample's output for a wave byte at amplitude 15 * 15 * 128, by hand.
int64_t sampled(int byte) {
  return 28800LL * byte / 2048 - 1800;
}

TEST(SynthRender, SampledToneAtNote36PlaysAtTheSamplesOwnSpeed) {
  std::vector<int16_t> out = renderSampledNote(36);
  // The increment is (2^30 >> 5) / 388 * 388 = 33554240, a little under one byte
  // (2^25) per sample: the byte index runs 0, 0, 1, 2, ... (sample k plays byte
  // k - 2 from k = 2 on), up to the silent tail, where it comes to rest.
  EXPECT_EQ(out[1], sampled(28));
  for (int k = 2; k <= 100; ++k) EXPECT_EQ(out[k], sampled(28 + k - 2)) << k;
  for (int k = 101; k <= 400; ++k) EXPECT_EQ(out[k], 0) << k;
}

TEST(SynthRender, SampledToneAtNote48PlaysTwiceAsFast) {
  std::vector<int16_t> out = renderSampledNote(48);
  // Note 48's table entry / 65536 is 776, twice 388: 67108480 per sample, just
  // under two bytes, so sample k plays byte 2k - 3 from k = 2 on.
  ASSERT_EQ(sound::pitchTable()[48] / 65536, 776);
  EXPECT_EQ(out[1], sampled(28));
  for (int k = 2; k <= 50; ++k) EXPECT_EQ(out[k], sampled(28 + 2 * k - 3)) << k;
  for (int k = 52; k <= 400; ++k) EXPECT_EQ(out[k], 0) << k;
}

TEST(SynthRender, DamagedSequencesStopTheirChannelWithoutReadingPastIt) {
  std::vector<Seq> damaged = {
      Seq().volume(15).raw({36, 10}),             // note cut off
      Seq().volume(15).note(36, 2).jump(100),     // jump past the end
      Seq().volume(15).note(36, 2).jump(-100),    // jump before the start
      Seq().volume(15).raw({'m', 'a', 'b'}),      // title without its end
      Seq().volume(15).raw({'u', 'x', 0}),        // sample load without its slot
      Seq().volume(15).raw({'q', 3, 1, 2, 3}),    // waveform cut off
      Seq().volume(15).note(36, 2).raw({120}),    // no such command
      Seq().volume(15).note(36, 2),               // no end mark
      Seq().volume(15).glide(200, 250, 2).end(),  // glide notes past the table
  };
  for (size_t i = 0; i < damaged.size(); ++i) {
    SynthRig rig;
    rig.play(0, damaged[i]);
    rig.render(100);
    EXPECT_EQ(rig.synth.channel(0).state, ChannelState::Stopped) << i;
  }
}

}  // namespace
