// The player heard through --audio-out: small projects run headless play effects
// and music, and the WAV file the player writes is checked against what the
// rules say the virtual card plays, worked out here sample by sample.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../sound/reference_voice.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRing = 20000;   // the player's ring length
constexpr int kDelay = 1000;   // effects start this far ahead of the card
constexpr int kPeriod = 2205;  // the virtual card consumes 50 ms at a time

void writeFile(const fs::path& file, const std::string& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

std::string readFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void put(std::string& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(char(v >> (8 * i) & 0xFF));
}

// An 8-bit mono WAV file.
std::string wav8(int rate, const std::vector<uint8_t>& samples) {
  std::string out = "RIFF";
  put(out, uint32_t(36 + samples.size()), 4);
  out += "WAVEfmt ";
  put(out, 16, 4);
  put(out, 1, 2);
  put(out, 1, 2);
  put(out, uint32_t(rate), 4);
  put(out, uint32_t(rate), 4);
  put(out, 1, 2);
  put(out, 8, 2);
  out += "data";
  put(out, uint32_t(samples.size()), 4);
  out.append(samples.begin(), samples.end());
  return out;
}

// The samples of a WAV file the player wrote, after checking its format.
std::vector<int16_t> playerSamples(const std::string& file) {
  EXPECT_GE(file.size(), 44u);
  if (file.size() < 44) return {};
  auto u32 = [&](size_t at) {
    return uint32_t(uint8_t(file[at])) | uint32_t(uint8_t(file[at + 1])) << 8 |
           uint32_t(uint8_t(file[at + 2])) << 16 | uint32_t(uint8_t(file[at + 3])) << 24;
  };
  EXPECT_EQ(file.substr(0, 4), "RIFF");
  EXPECT_EQ(file.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(u32(20), 0x00010001u);  // PCM, mono
  EXPECT_EQ(u32(24), 44100u);
  EXPECT_EQ(u32(32), 0x00100002u);  // block align 2, 16 bits
  EXPECT_EQ(file.substr(36, 4), "data");
  EXPECT_EQ(u32(40), file.size() - 44);
  std::vector<int16_t> samples((file.size() - 44) / 2);
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = int16_t(uint8_t(file[44 + 2 * i]) | uint8_t(file[45 + 2 * i]) << 8);
  return samples;
}

// A base directory with its own kernel folder (the real kernel's entries, and
// whatever a test adds) and a one-page project in Usr whose object runs `script`.
struct SoundProject {
  zunka::testing::TempDir base;
  fs::path dir{base.host()};

  explicit SoundProject(const std::string& script) {
    fs::create_directory(dir / "kernel");
    for (const fs::directory_entry& e :
         fs::directory_iterator(fs::path(ZUNKA_SOURCE_DIR) / "kernel"))
      fs::create_symlink(e.path(), dir / "kernel" / e.path().filename());
    writeFile(dir / "Usr/default.zunkaprj",
              "<resourcelist name=\"project\">\n <resourcelist name=\"pages\">\n"
              "  <page name=\"$page_main\" src=\"main.cmml\"/>\n </resourcelist>\n"
              "</resourcelist>\n");
    writeFile(dir / "Usr/main.cmml",
              "<resourcelist name=\"usr\">\n <resourcelist name=\"classes\">\n"
              "  <class name=\"Sounder\" src=\"Sounder.zunka\"/>\n </resourcelist>\n"
              " <resourcelist name=\"gen\">\n  <generator className=\"Sounder\" name=\"$s\"/>\n"
              " </resourcelist>\n</resourcelist>\n");
    writeFile(dir / "Usr/Sounder.zunka", "extends classes.game.Char;\n" + script);
  }

  // Runs the player (replaying `inputLog` when given); gives its standard output
  // and the log, and fills `heard`.
  std::string run(int frames, std::vector<int16_t>& heard, const std::string& inputLog = "") {
    fs::path out = dir / "out.wav", log = dir / "log.txt";
    std::string replay;
    if (!inputLog.empty()) {
      writeFile(dir / "input.log", "zunka-input 1\n" + inputLog);
      replay = " --replay '" + (dir / "input.log").string() + "'";
    }
    std::string command = std::string(ZUNKA_BINARY_DIR) + "/zunka --headless --frames " +
                          std::to_string(frames) + replay + " --base '" + dir.string() +
                          "' --audio-out '" + out.string() + "' --log '" + log.string() + "' >'" +
                          (dir / "stdout.txt").string() + "' 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << readFile(dir / "stdout.txt");
    heard = playerSamples(readFile(out));
    return readFile(dir / "stdout.txt") + readFile(log);
  }
};

// 300 frames at 22,050 Hz: a ramp with a step, so that doubling shows.
std::vector<uint8_t> blipFrames() {
  std::vector<uint8_t> b;
  for (int i = 0; i < 300; ++i) b.push_back(uint8_t(i < 150 ? 60 + i : 250 - i / 3));
  return b;
}

// MediaPlayer: the master volume scales effects too (also the part mixed at
// once), and disabling closes the card, after which it consumes nothing.
TEST(SoundPlay, MasterVolumeAndDisablingReachTheCard) {
  SoundProject p(
      "fx = new SoundEffect(\"blip.wav\");\n"
      "player = new MediaPlayer();\n"
      "player.setVolume(128);\n"
      "frame = 0;\n"
      "while (1) {\n"
      "  frame += 1;\n"
      "  if (frame == 3) fx.play();\n"
      "  if (frame == 30) player.setEnable(0);\n"
      "  update();\n"
      "}\n");
  writeFile(p.dir / "Usr/blip.wav", wav8(22050, blipFrames()));
  std::vector<int16_t> heard;
  p.run(100, heard);
  // 27 frames of 17 ms: nine whole periods, then the card was closed.
  ASSERT_EQ(heard.size(), size_t(9 * kPeriod));
  std::vector<uint8_t> b = blipFrames();
  for (size_t i = 0; i < heard.size(); ++i) {
    int64_t j = int64_t(i) - kDelay;
    int expected = 128;
    if (j >= 0 && j < 600) expected += (b[size_t(j / 2)] - 128) * 64;
    ASSERT_EQ(heard[i], expected) << i;
  }
}

// A one-note piece: volume 15, note 36 for 20,000 units on channel 0.
std::string oneNoteMusic() {
  std::string mzo;
  put(mzo, 1200, 4);
  mzo.push_back(10);
  std::string seq = {'d', 15, 36, char(0x20), char(0x4E), char(255)};
  put(mzo, uint32_t(seq.size()), 4);
  mzo += seq;
  for (int c = 1; c < 10; ++c) put(mzo, 0, 4);
  return mzo;
}

TEST(SoundPlay, EffectsAreLookedUpAndHeardAtTheirVolumesDelaySamplesLater) {
  SoundProject p(
      "fx = new SoundEffect(\"blip.wav\");\n"
      "print(\"page \" + fx.isLoaded());\n"
      "k = new SoundEffect(\"kernel_blip.wav\");\n"
      "print(\"kernel \" + k.isLoaded());\n"
      "none = new SoundEffect(\"nothing.wav\");\n"
      "print(\"missing \" + none.isLoaded());\n"
      "out = new SoundEffect(\"..\\\\outside.wav\");\n"
      "print(\"outside \" + out.isLoaded());\n"
      "text = new SoundEffect(\"text.wav\");\n"
      "print(\"not a wave \" + text.isLoaded());\n"
      "none.play();\n"  // nothing loaded: opens nothing
      "frame = 0;\n"
      "while (1) {\n"
      "  frame += 1;\n"
      "  if (frame == 3) fx.play();\n"
      "  if (frame == 40) fx.play(64);\n"
      "  update();\n"
      "}\n");
  std::string blip = wav8(22050, blipFrames());
  writeFile(p.dir / "Usr/blip.wav", blip);
  writeFile(p.dir / "kernel/kernel_blip.wav", blip);
  writeFile(p.dir / "outside.wav", blip);
  writeFile(p.dir / "Usr/text.wav", "RIFF, but no wave at all");
  std::vector<int16_t> heard;
  std::string printed = p.run(90, heard);
  EXPECT_NE(printed.find("page 1\nkernel 1\nmissing 0\noutside 0\nnot a wave 0\n"),
            std::string::npos)
      << printed;

  // The card starts with the first play: sample 0 of the file. The ring was
  // cleared to 128; the effect is mixed onto it kDelay samples ahead, each frame
  // twice; the first pass writes one silent sample just behind the card.
  std::vector<uint8_t> b = blipFrames();
  ASSERT_GT(heard.size(), size_t(2 * kRing));
  for (int i = 0; i < kRing; ++i) {
    int j = i - kDelay;
    int expected = i == kRing - 1 ? 0 : 128;
    if (j >= 0 && j < 600) expected += (b[size_t(j / 2)] - 128) * 128;
    ASSERT_EQ(heard[size_t(i)], expected) << i;
  }
  // The second play, at volume 64, lands kDelay after the pass made just before
  // its frame (a whole number of periods); everything else is silence now.
  size_t onset = kRing;
  while (onset < heard.size() && heard[onset] == 0) ++onset;
  ASSERT_LT(onset + 600, heard.size());
  EXPECT_EQ((onset - kDelay) % kPeriod, 0u) << onset;
  for (size_t i = kRing; i < heard.size(); ++i) {
    int64_t j = int64_t(i) - int64_t(onset);
    int expected = j >= 0 && j < 600 ? (b[size_t(j / 2)] - 128) * 64 : 0;
    ASSERT_EQ(heard[i], expected) << i;
  }
}

// One note on the default tone, started by BGM with the extension in capitals:
// silence for one ring length, then the voice as the rules make it, in passes
// of one period (the 2nd, 4th ... sample of each pass moves the envelope).
TEST(SoundPlay, MusicIsHeardOneRingLaterAsTheReferenceVoiceMakesIt) {
  SoundProject p(
      "music = new BGM();\n"
      "music.play(\"Tune.MZO\");\n"
      "while (1) update();\n");
  writeFile(p.dir / "Usr/Tune.MZO", oneNoteMusic());
  std::vector<int16_t> heard;
  p.run(120, heard);
  ASSERT_GT(heard.size(), size_t(kRing + 3 * kPeriod));
  for (int i = 0; i < kRing - 1; ++i) ASSERT_EQ(heard[size_t(i)], 128) << i;
  EXPECT_EQ(heard[kRing - 1], 0);
  zunka::testing::ReferenceVoice voice;
  voice.increment = zunka::testing::referenceIncrement(36);
  for (size_t i = 0; kRing + i < heard.size(); ++i) {
    bool second = (i % kPeriod + 1) % 2 == 0;
    ASSERT_EQ(heard[kRing + i], voice.sample(second)) << i;
  }
}

// A tones.wdt in the kernel folder replaces the built-in waveforms and
// envelopes for every piece: here waveform 0 is a ramp and envelope 0 holds 9.
TEST(SoundPlay, TheKernelFoldersToneFileShapesTheMusic) {
  SoundProject p(
      "music = new BGM();\n"
      "music.play(\"tune.mzo\");\n"
      "while (1) update();\n");
  writeFile(p.dir / "Usr/tune.mzo", oneNoteMusic());
  std::string tones(3584, char(0));
  for (int i = 0; i < 32; ++i) tones[size_t(i)] = char(100 + 2 * i);  // waveform 0
  for (int j = 0; j < 32; ++j) tones[size_t(96 * 32 + j)] = char(9);  // envelope 0
  writeFile(p.dir / "kernel/tones.wdt", tones);
  std::vector<int16_t> heard;
  p.run(60, heard);
  ASSERT_GT(heard.size(), size_t(kRing + kPeriod));
  zunka::testing::ReferenceVoice voice;
  voice.increment = zunka::testing::referenceIncrement(36);
  for (int i = 0; i < 32; ++i) voice.wave[size_t(i)] = 100 + 2 * i;
  voice.envelope.assign(32, 9);
  for (size_t i = 0; kRing + i < heard.size(); ++i) {
    bool second = (i % kPeriod + 1) % 2 == 0;
    ASSERT_EQ(heard[kRing + i], voice.sample(second)) << i;
  }
}

// F5, the window's sound switch: off stops the music and keeps effects and new
// music quiet; on again does not restart the music, but effects play again.
TEST(SoundPlay, TheSoundSwitchStopsMusicAndGatesEffectsAndMusic) {
  SoundProject p(
      "music = new BGM();\n"
      "fx = new SoundEffect(\"blip.wav\");\n"
      "music.play(\"tune.mzo\");\n"
      "frame = 0;\n"
      "while (1) {\n"
      "  frame += 1;\n"
      "  if (frame == 20) fx.play();\n"
      "  if (frame == 25) music.play(\"tune.mzo\");\n"
      "  if (frame == 45) fx.play();\n"
      "  update();\n"
      "}\n");
  writeFile(p.dir / "Usr/tune.mzo", oneNoteMusic());
  writeFile(p.dir / "Usr/blip.wav", wav8(22050, blipFrames()));
  std::vector<int16_t> heard;
  p.run(2000 / 17, heard, "10 key 116 down\n10 key 116 up\n30 key 116 down\n30 key 116 up\n");
  ASSERT_GT(heard.size(), size_t(2 * kRing + 2 * kPeriod));
  // The effect of frame 20 would have sounded in the first lap (effects are
  // mixed ahead, not a ring later): it did not.
  for (int i = 0; i < kRing - 1; ++i) ASSERT_EQ(heard[size_t(i)], 128) << i;
  // Music from one ring on until the pass after the switch went off (about
  // ten frames in), then silence but for the one effect played after it came
  // back on: the music of frame 25 never sounds.
  size_t musicEnd = kRing;
  while (musicEnd < heard.size() && heard[musicEnd] != 0) ++musicEnd;
  EXPECT_GT(musicEnd, size_t(kRing + kPeriod));
  EXPECT_LT(musicEnd, size_t(kRing + 10 * 17 * 441 / 10 + 2 * kPeriod));
  std::vector<size_t> sounding;
  for (size_t i = musicEnd; i < heard.size(); ++i)
    if (heard[i] != 0) sounding.push_back(i);
  ASSERT_FALSE(sounding.empty());
  EXPECT_LE(sounding.back() - sounding.front(), 600u);  // one effect, nothing else
  EXPECT_EQ((sounding.front() - kDelay) % kPeriod, 0u);
  EXPECT_GT(sounding.front(), size_t(40 * 17 * 441 / 10));  // frame 45's
}

// MIDI music headless: each command is logged; the loop flag is kept from one
// play to the next; the extension counts in lower case; "exit" at the end.
TEST(SoundPlay, MidiCommandsAreLoggedHeadless) {
  SoundProject p(
      "music = new BGM();\n"
      "music.play(\"Song.MID\", 1);\n"
      "music.play(\"song.midi\");\n"
      "music.play(\"song.txt\");\n"
      "music.play(\"gone.mid\");\n"
      "music.play(\"song.midi\", 0);\n"
      "player = new MediaPlayer();\n"
      "player.stop();\n"
      "player.stop();\n"
      "while (1) update();\n");
  writeFile(p.dir / "Usr/Song.MID", "MThd");
  writeFile(p.dir / "Usr/song.midi", "MThd");
  writeFile(p.dir / "Usr/song.txt", "MThd");
  std::vector<int16_t> heard;
  std::string log = p.run(5, heard);
  std::string usr = p.base.system() + "\\Usr\\";
  std::string expected = "MIDI: play " + usr + "Song.MID (loop)\n" + "MIDI: play " + usr +
                         "song.midi (loop)\n" + "MIDI: play " + usr + "song.midi\n" +
                         "MIDI: stop\n";
  EXPECT_NE(log.find(expected), std::string::npos) << log;
  EXPECT_EQ(log.find("MIDI: stop\nMIDI: stop"), std::string::npos) << log;
  EXPECT_NE(log.find("MIDI: exit"), std::string::npos) << log;
  EXPECT_TRUE(heard.empty());  // MIDI never reaches the synthesiser's card
}

// The bundled game's title: its tune, and the catch effect each time the star
// lands in the basket. The effect is found as the difference from the same run
// with a silent catch.wav: it starts where effects start (a whole number of
// periods plus the delay) and nowhere else does anything change.
TEST(SoundPlay, TheBundledGameSoundsItsTuneAndItsEffects) {
  auto runGame = [](bool silentCatch) {
    zunka::testing::TempDir base;
    fs::path dir = base.host();
    fs::create_directory_symlink(fs::path(ZUNKA_SOURCE_DIR) / "kernel", dir / "kernel");
    fs::copy(fs::path(ZUNKA_SOURCE_DIR) / "Usr", dir / "Usr", fs::copy_options::recursive);
    if (silentCatch) {
      std::string wav = readFile(dir / "Usr/catch.wav");
      std::fill(wav.begin() + 44, wav.end(), '\0');
      writeFile(dir / "Usr/catch.wav", wav);
    }
    fs::path out = dir / "a.wav";
    std::string command = std::string(ZUNKA_BINARY_DIR) +
                          "/zunka --headless --frames 300 --base '" + dir.string() +
                          "' --audio-out '" + out.string() + "' >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return playerSamples(readFile(out));
  };
  std::vector<int16_t> game = runGame(false), quiet = runGame(true);
  ASSERT_EQ(game.size(), quiet.size());
  ASSERT_GT(game.size(), size_t(4 * 44100));
  double energy = 0;
  for (size_t i = kRing; i < quiet.size(); ++i) energy += double(quiet[i]) * quiet[i];
  EXPECT_GT(energy / double(quiet.size() - kRing), 1000.0 * 1000.0);  // the tune is loud enough

  std::vector<size_t> starts;
  size_t lastDifferent = 0;
  for (size_t i = 0; i < game.size(); ++i) {
    if (game[i] == quiet[i]) continue;
    if (starts.empty() || i > lastDifferent + 1000) starts.push_back(i);
    lastDifferent = i;
  }
  ASSERT_GE(starts.size(), 2u);  // frames 99 and 199 (and 299 if it is heard yet)
  for (size_t start : starts) {
    size_t afterPeriod = (start - kDelay) % kPeriod;
    EXPECT_LT(afterPeriod, 8u) << start;  // the first samples of the blip are near zero
  }
}

}  // namespace
