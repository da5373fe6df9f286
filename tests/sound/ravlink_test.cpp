// The sound component as the player drives it: a virtual device playing 50 ms
// steps, music files, effects and the device's failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "reference_voice.h"
#include "sound/ravlink.h"
#include "sound_test_support.h"

using namespace zunka;
using namespace zunka::testing;
using sound::ChannelState;

namespace {

constexpr int kTick = 2205;  // samples in 50 ms

// A music file: version, channel count and one block per given sequence (the
// rest of the ten empty).
std::string musicFile(int32_t version, int count, const std::vector<Seq>& channels) {
  Seq file;
  file.i32(version).raw({count});
  for (int c = 0; c < 10; ++c) {
    if (c < int(channels.size())) {
      file.i32(int32_t(channels[c].size()));
      for (uint8_t b : channels[c].bytes()) file.raw({b});
    } else {
      file.i32(0);
    }
  }
  return std::string(file.bytes().begin(), file.bytes().end());
}

struct Player {
  sound::VirtualWaveOut device;
  MemoryFiles files;
  sound::TRavlink link{device, files};
  std::vector<int16_t> heard;

  // Plays `ticks` steps of 50 ms, rendering after each as the player does.
  void run(int ticks) {
    for (int t = 0; t < ticks; ++t) {
      device.play(kTick, &heard);
      link.render();
    }
  }
};

TEST(SoundComponent, MusicIsHeardOneRingLengthAfterItIsRendered) {
  Player p;
  p.files.files["song.mzo"] = musicFile(1200, 10, {Seq().volume(15).note(36, 5000).end()});
  ASSERT_EQ(p.link.loadMusic("song.mzo"), sound::kSoundOk);
  ASSERT_EQ(p.link.startMusic(), sound::kSoundOk);
  p.link.render();
  p.run(12);
  // The first pass writes one sample just behind the play position (the silent
  // sample in which the first note starts); the ring holds 128 where the device
  // was cleared.
  EXPECT_EQ(p.heard[0], 128);
  EXPECT_EQ(p.heard[19998], 128);
  EXPECT_EQ(p.heard[19999], 0);
  EXPECT_EQ(p.heard[20000], -352);  // the note's first sample, as worked out by hand
}

TEST(SoundComponent, StatusesOfMusicFiles) {
  Player p;
  Seq song = Seq().volume(15).note(36, 100).end();
  EXPECT_EQ(p.link.loadMusic("missing.mzo"), sound::kFileNotOpened);

  p.files.files["nine.mzo"] = musicFile(1200, 9, {song});
  EXPECT_EQ(p.link.loadMusic("nine.mzo"), sound::kBadMusicFile);

  std::string cut = musicFile(1200, 10, {song, song});
  p.files.files["cut.mzo"] = cut.substr(0, 5 + 4 + song.size() + 4 + 2);
  p.files.files["short.mzo"] = cut.substr(0, 3);
  std::string tooLong = musicFile(1200, 10, {song});
  tooLong[5] = char(0x40);  // channel 0 claims 64 bytes more than it has
  p.files.files["toolong.mzo"] = tooLong;
  std::string negative = musicFile(1200, 10, {song});
  negative[8] = char(0x80);
  p.files.files["negative.mzo"] = negative;
  for (const char* bad : {"cut.mzo", "short.mzo", "toolong.mzo", "negative.mzo"}) {
    EXPECT_EQ(p.link.loadMusic(bad), sound::kBadMusicFile) << bad;
    p.link.startMusic();
    for (int c = 0; c < 10; ++c)
      EXPECT_EQ(p.link.enveloper().channel(c).state, ChannelState::Stopped);
  }

  // A newer file says so, and plays all the same.
  p.files.files["newer.mzo"] = musicFile(1201, 10, {Seq(), song});
  EXPECT_EQ(p.link.loadMusic("newer.mzo"), sound::kNewerMusicFile);
  p.link.startMusic();
  EXPECT_EQ(p.link.enveloper().channel(0).state, ChannelState::Stopped);
  EXPECT_EQ(p.link.enveloper().channel(1).state, ChannelState::Playing);
  p.link.stopMusic();
  EXPECT_EQ(p.link.enveloper().channel(1).state, ChannelState::Stopped);
}

// An effect of `frames` 8-bit frames at `rate`, byte j being `byte(j)`.
template <typename F>
std::string effectWav(int rate, int frames, F byte) {
  std::vector<int> bytes;
  for (int j = 0; j < frames; ++j) bytes.push_back(byte(j));
  return wavFile(1, rate, 8, bytes);
}

TEST(SoundComponent, EffectIsHeardDelaySamplesAfterThePlayAndWhole) {
  Player p;
  // 15,000 frames at 22,050 Hz: 30,000 samples, longer than the ring, so part of
  // it is mixed at once and the rest as the renderer writes.
  auto byte = [](int j) { return (j * 7) % 256; };
  p.files.files["boom.wav"] = effectWav(22050, 15000, byte);
  int32_t boom = p.link.loadEffect("boom.wav");
  ASSERT_NE(boom, 0);
  ASSERT_EQ(p.link.enable(true), sound::kSoundOk);
  p.link.render();
  p.run(10);  // the whole ring has been rendered (silence) once
  const size_t at = p.heard.size();
  p.link.playEffect(boom, 100);
  p.run(20);
  for (size_t t = at; t < p.heard.size(); ++t) {
    int64_t j = int64_t(t - at) - 1000;
    int expected = j >= 0 && j < 30000 ? (byte(int(j / 2)) - 128) * 100 : 0;
    ASSERT_EQ(p.heard[t], expected) << "at " << t - at;
  }
}

TEST(SoundComponent, ATenthEffectTakesOverSlotNine) {
  Player p;
  std::vector<int32_t> effects;
  for (int k = 1; k <= 10; ++k) {
    std::string name = "e" + std::to_string(k) + ".wav";
    p.files.files[name] = effectWav(44100, 30000, [k](int) { return 128 + k; });
    effects.push_back(p.link.loadEffect(name));
  }
  p.link.enable(true);
  p.link.render();
  p.run(10);
  const size_t at = p.heard.size();
  for (int32_t e : effects) p.link.playEffect(e, 1);
  p.run(20);
  // All ten were mixed at once as far as the ring reached; from there on the
  // renderer mixes slots 1 ... 9, slot 9 now playing the tenth.
  for (int j = 0; j < 30000; ++j) {
    int expected = j < 19000 ? 55 : 55 - 9;
    ASSERT_EQ(p.heard[at + 1000 + j], expected) << j;
  }
  EXPECT_EQ(p.heard[at + 31000], 0);
}

TEST(SoundComponent, MasterVolumeScalesTheMix) {
  SynthRig rig;
  rig.synth.setMasterVolume(128);
  rig.play(0, Seq().volume(15).note(40, 600).end());
  std::vector<int16_t> out = rig.render(1201);
  ReferenceVoice voice;
  voice.increment = referenceIncrement(40);
  std::vector<int64_t> full = voice.run(1200);
  for (int i = 0; i < 1200; ++i) {
    // Halved, rounding toward zero: -352 becomes -176, 351 becomes 175.
    int64_t halved = full[i] < 0 ? -(-full[i] / 2) : full[i] / 2;
    ASSERT_EQ(out[1 + i], halved) << i;
  }
  // Kept within 0 ... 256: above leaves the mix unscaled, below would invert it.
  rig.synth.setMasterVolume(-5);
  EXPECT_EQ(rig.synth.masterVolume(), 0);
  rig.synth.setMasterVolume(1000);
  EXPECT_EQ(rig.synth.masterVolume(), 256);
}

TEST(SoundComponent, FreeingAPlayingEffectClosesTheDeviceAndSilencesIt) {
  Player p;
  p.files.files["a.wav"] = effectWav(44100, 50000, [](int) { return 200; });
  int32_t a = p.link.loadEffect("a.wav");
  p.link.playEffect(a, 10);  // opens the device
  EXPECT_TRUE(p.device.playing());
  EXPECT_GT(p.link.enveloper().effectSlotRemaining(1), 0);
  p.link.freeEffect(a);
  EXPECT_FALSE(p.device.playing());
  EXPECT_EQ(p.link.enveloper().effectSlotRemaining(1), 0);
  EXPECT_EQ(p.link.effect(a), nullptr);
  p.link.playEffect(a, 10);  // no longer loaded: nothing
  EXPECT_FALSE(p.device.playing());
}

TEST(SoundComponent, UnusableEffectFilesSayWhy) {
  Player p;
  EXPECT_EQ(p.link.loadEffect("none.wav"), 0);
  EXPECT_EQ(p.link.status(), sound::kFileNotOpened);
  p.files.files["text.wav"] = "not a wave";
  EXPECT_EQ(p.link.loadEffect("text.wav"), 0);
  EXPECT_EQ(p.link.status(), sound::kUnusableWav);
}

TEST(SoundComponent, AFailedDeviceKeepsItsCodeAndOnlyEnableRetries) {
  Player p;
  p.files.files["song.mzo"] = musicFile(1200, 10, {Seq().volume(15).note(36, 100).end()});
  p.files.files["a.wav"] = effectWav(44100, 100, [](int) { return 200; });
  int32_t a = p.link.loadEffect("a.wav");
  p.link.loadMusic("song.mzo");
  p.device.failNextStart(6);
  EXPECT_EQ(p.link.startMusic(), sound::kDeviceFailed);
  EXPECT_TRUE(p.link.enveloper().failed());
  EXPECT_EQ(p.link.enveloper().errorText(), "MMSYSERR_NODRIVER");
  EXPECT_EQ(sound::deviceErrorText(99), "MMSYSTEM99");
  p.link.playEffect(a, 10);
  p.link.setMasterVolume(10);
  EXPECT_EQ(p.link.startMusic(), sound::kDeviceFailed);
  EXPECT_FALSE(p.device.playing());
  EXPECT_EQ(p.link.enveloper().masterVolume(), 256);
  EXPECT_EQ(p.link.enable(true), sound::kSoundOk);
  EXPECT_TRUE(p.device.playing());
  EXPECT_EQ(p.link.enable(false), sound::kSoundOk);
  EXPECT_FALSE(p.device.playing());
}

TEST(SoundComponent, ToneFileFromTheCurrentDirectoryAtCreation) {
  sound::VirtualWaveOut device;
  MemoryFiles files;
  std::string tones(sound::kToneFileSize, char(7));
  tones[0] = char(200);                   // waveform 0, byte 0
  tones[96 * 32 + 5 * 32 + 1] = char(9);  // envelope 5, step 1
  files.files["tones.wdt"] = tones;
  files.files["short.wdt"] = tones.substr(0, 3583);
  sound::TRavlink link(device, files);
  EXPECT_EQ(link.enveloper().waveforms()[0][0], 200);
  EXPECT_EQ(link.enveloper().waveforms()[95][31], 7);
  EXPECT_EQ(link.enveloper().envelopes()[5][1], 9);
  EXPECT_FALSE(link.loadTones("short.wdt"));
  EXPECT_FALSE(link.loadTones("missing.wdt"));
  EXPECT_EQ(link.enveloper().waveforms()[0][0], 200);
  EXPECT_EQ(link.bufferSize(), 20000);
  EXPECT_EQ(link.delay(), 1000);
  link.setDelay(19990);  // must stay below the buffer size - 10
  EXPECT_EQ(link.delay(), 1000);
}

}  // namespace

// The ring is made on first use; until then, and after every close, it reads as
// a cleared one at the active length.
TEST(SoundComponent, RingReadsAsClearedBeforeTheFirstOpenAndAfterAClose) {
  Player p;
  auto allCleared = [&p] {
    auto ring = p.link.enveloper().samples();
    return std::all_of(ring.begin(), ring.end(), [](int16_t s) { return s == 128; });
  };
  EXPECT_EQ(p.link.enveloper().samples().size(), size_t(sound::kDefaultBufferLength));
  EXPECT_TRUE(allCleared());
  p.files.files["song.mzo"] = musicFile(1200, 10, {Seq().volume(15).note(36, 5000).end()});
  ASSERT_EQ(p.link.loadMusic("song.mzo"), sound::kSoundOk);
  ASSERT_EQ(p.link.startMusic(), sound::kSoundOk);
  p.run(12);
  EXPECT_EQ(p.link.enveloper().samples().size(), size_t(20000));
  EXPECT_FALSE(allCleared());
  ASSERT_EQ(p.link.enable(false), sound::kSoundOk);
  EXPECT_TRUE(allCleared());
}
