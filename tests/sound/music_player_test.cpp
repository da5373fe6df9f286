// Background music by extension, the MIDI player's waits, pings and commands
// (through a stand-in link that keeps a transcript), and where sound files are
// looked for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sound/music_player.h"
#include "sound/ravlink.h"
#include "sound/sound_file_lookup.h"
#include "sound_test_support.h"

using namespace zunka;
using namespace zunka::testing;

namespace {

// A MIDI player that is busy for `busyChecks` looks, answers pings only after
// it has been launched and `deafPings` more pings have gone by, and writes every
// call into a transcript. Its clock moves only when it sleeps.
struct ScriptedMidi final : sound::MidiLink {
  int busyChecks = 0;
  bool launchedAlready = false;
  int deafPings = 0;
  uint32_t now = 0x12345;
  std::vector<std::string> calls;

  bool busy() override {
    calls.push_back("busy?");
    return busyChecks-- > 0;
  }
  bool ping(uint16_t w) override {
    calls.push_back("ping " + std::to_string(w));
    if (!launchedAlready || deafPings-- > 0) return false;
    return true;
  }
  void launch() override {
    calls.push_back("launch");
    launchedAlready = true;
  }
  void send(std::string_view command, bool loop) override {
    calls.push_back("send " + std::string(command) + (loop ? " loop" : ""));
  }
  bool used() const override { return launchedAlready; }
  uint32_t tickCount() override { return now; }
  void sleep(uint32_t ms) override {
    now += ms;
    calls.push_back("sleep " + std::to_string(ms));
  }
  void showStatus(std::string_view text) override {
    calls.push_back(text.empty() ? "status cleared" : "status shown");
  }
};

struct Rig {
  sound::VirtualWaveOut device;
  MemoryFiles files;
  sound::TRavlink link{device, files};
  ScriptedMidi midi;
  sound::MusicPlayer music{link, midi};
};

std::string oneNoteMusic() {
  Seq file;
  file.i32(1200).raw({10});
  Seq song = Seq().volume(15).note(36, 5000).end();
  file.i32(int32_t(song.size()));
  for (uint8_t b : song.bytes()) file.raw({b});
  for (int c = 1; c < 10; ++c) file.i32(0);
  return std::string(file.bytes().begin(), file.bytes().end());
}

TEST(MusicPlayer, TheExtensionInLowerCaseChoosesTheSynthesiserOrTheMidiPlayer) {
  EXPECT_EQ(sound::lowerCaseExtension("a\\b.c\\Song.MID"), ".mid");
  EXPECT_EQ(sound::lowerCaseExtension("a.dir\\song"), "");
  EXPECT_EQ(sound::lowerCaseExtension("x.Midi"), ".midi");

  Rig r;
  r.files.files["Song.MZO"] = oneNoteMusic();
  r.music.play("Song.MZO", false);
  EXPECT_EQ(r.music.mode(), sound::MusicMode::Synthesiser);
  EXPECT_TRUE(r.device.playing());
  EXPECT_EQ(r.link.enveloper().channel(0).state, sound::ChannelState::Playing);

  r.music.play("notes.txt", true);  // neither: nothing changes
  EXPECT_EQ(r.music.mode(), sound::MusicMode::Synthesiser);
  EXPECT_TRUE(r.midi.calls.empty());

  r.music.stop();
  EXPECT_EQ(r.music.mode(), sound::MusicMode::None);
  EXPECT_EQ(r.link.enveloper().channel(0).state, sound::ChannelState::Stopped);
  EXPECT_TRUE(r.midi.calls.empty());  // the synthesiser's stop says nothing to MIDI
}

TEST(MusicPlayer, AMidiPieceWaitsPingsThreeTimesLaunchesAndPingsAgain) {
  Rig r;
  r.midi.busyChecks = 2;
  r.midi.deafPings = 4;
  r.music.play("\\g\\THEME.MID", true);
  EXPECT_EQ(r.music.mode(), sound::MusicMode::Midi);
  // w is the low 16 bits of the tick count: 0x2345 = 9029 and on.
  std::vector<std::string> expected = {
      "busy?",          "status shown", "sleep 500",    "status cleared",
      "sleep 500",      "busy?",        "status shown", "sleep 500",
      "status cleared", "sleep 500",    "busy?",        "ping 11029",
      "sleep 100",      "ping 11129",   "sleep 100",    "ping 11229",
      "sleep 100",      "launch",       "ping 11329",   "sleep 100",
      "ping 11429",     "sleep 100",    "ping 11529",   "sleep 100",
      "ping 11629",     "sleep 100",    "ping 11729",   "send \\g\\THEME.MID loop"};
  EXPECT_EQ(r.midi.calls, expected);

  r.midi.calls.clear();
  r.music.stop();
  EXPECT_EQ(r.midi.calls, (std::vector<std::string>{"busy?", "send stop"}));
  EXPECT_EQ(r.music.mode(), sound::MusicMode::None);
  r.midi.calls.clear();
  r.music.shutDown();
  EXPECT_EQ(r.midi.calls, (std::vector<std::string>{"send exit"}));
}

TEST(MusicPlayer, WaitsAreBoundedAndADeafMidiPlayerStillGetsTheCommand) {
  Rig r;
  r.midi.busyChecks = 1000;  // never free
  r.midi.deafPings = 1000;   // never answers
  r.music.play("x.midi", false);
  int busyLooks = 0, sleeps = 0, pings = 0, launches = 0;
  for (const std::string& c : r.midi.calls) {
    busyLooks += c == "busy?";
    sleeps += c.rfind("sleep", 0) == 0;
    pings += c.rfind("ping", 0) == 0;
    launches += c == "launch";
  }
  EXPECT_EQ(busyLooks, 11);
  EXPECT_EQ(pings, 13);
  EXPECT_EQ(sleeps, 22 + 13);
  EXPECT_EQ(launches, 1);
  EXPECT_EQ(r.midi.calls.back(), "send x.midi");
  // Nothing to stop with no music: nothing is sent.
  r.music.stop();
  r.midi.calls.clear();
  r.music.stop();
  EXPECT_TRUE(r.midi.calls.empty());
}

TEST(SoundFileLookup, PageThenProjectThenKernelAndNeverOutside) {
  std::vector<std::string> folders = {"\\g\\pages", "\\g", "\\sys\\kernel"};
  std::vector<std::string> existing = {
      "\\g\\pages\\a.wav",    "\\g\\a.wav",        "\\g\\b.wav",     "\\sys\\kernel\\a.wav",
      "\\sys\\kernel\\c.wav", "\\sys\\secret.wav", "\\g\\sub\\d.wav"};
  auto exists = [&](const std::string& p) {
    for (const std::string& e : existing)
      if (e == p) return true;
    return false;
  };
  auto find = [&](const char* name) { return sound::FindSoundFile(name, folders, exists); };
  EXPECT_EQ(find("a.wav"), "\\g\\pages\\a.wav");
  EXPECT_EQ(find("b.wav"), "\\g\\b.wav");
  EXPECT_EQ(find("c.wav"), "\\sys\\kernel\\c.wav");
  EXPECT_EQ(find("sub/d.wav"), "\\g\\sub\\d.wav");  // either separator
  EXPECT_EQ(find("..\\a.wav"), "\\g\\a.wav");       // from the page's folder, still in \g
  EXPECT_EQ(find("..\\secret.wav"), "");            // past the kernel folder
  EXPECT_EQ(find("..\\..\\sys\\secret.wav"), "");
  EXPECT_EQ(find("\\g\\b.wav"), "\\g\\b.wav");  // absolute, inside
  EXPECT_EQ(find("\\sys\\secret.wav"), "");     // absolute, outside
  EXPECT_EQ(find("missing.wav"), "");
  EXPECT_EQ(find(""), "");
}

}  // namespace
