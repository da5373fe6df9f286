// zunka-midi, started and commanded the way the player does it: the shared
// block, pings answered with w + 17, commands, the busy marker, "exit", and no
// MIDI player left behind when its parent goes. Its log (named by
// ZUNKA_MIDI_LOG in the environment it inherits) says what it did.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/program_launcher.h"
#include "platform/shared_block.h"
#include "sound/music_player.h"
#include "sound/process_midi_link.h"
#include "sound/sound_files.h"
#include "sound/virtual_wave_out.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::string kProgram = std::string(ZUNKA_BINARY_DIR) + "/zunka-midi";
const std::string kMidiFile = std::string(ZUNKA_SOURCE_DIR) + "/tests/midi/data/arpeggio.mid";

std::string readFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Polls `done` for up to `ms` milliseconds.
template <class F>
bool within(uint32_t ms, F done) {
  uint32_t start = zunka::platform::tickCount();
  while (!done()) {
    if (zunka::platform::tickCount() - start > ms) return false;
    zunka::platform::sleepMilliseconds(10);
  }
  return true;
}

// Gone, or a zombie nobody has reaped yet. Read with read(2): a process that
// ends while its stat file is read makes the read fail (ESRCH), which a
// stream would throw from.
bool processGone(int32_t pid) {
  int fd = open(("/proc/" + std::to_string(pid) + "/stat").c_str(), O_RDONLY);
  if (fd < 0) return true;
  char buffer[512];
  ssize_t got = read(fd, buffer, sizeof buffer);
  close(fd);
  if (got <= 0) return true;
  std::string text(buffer, size_t(got));
  size_t paren = text.rfind(')');
  return paren != std::string::npos && text.substr(paren + 2, 1) == "Z";
}

std::string uniqueShare(const char* what) {
  return std::string("/zunka_midi_") + what + "_" +
         std::to_string(zunka::platform::currentProcessId());
}

TEST(MidiPlayerProgram, StartedPingedCommandedAndToldToExit) {
  zunka::testing::TempDir dir;
  fs::path log = fs::path(dir.host()) / "midi.log";
  std::string share = uniqueShare("cmd");
  zunka::sound::ProcessMidiLink::Setup setup;
  setup.program = kProgram;
  setup.shareName = share;
  setup.busyMarker = dir.system() + "\\midiBlock";
  setup.soundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
  setenv("ZUNKA_MIDI_LOG", log.c_str(), 1);
  zunka::sound::ProcessMidiLink link(setup);
  zunka::sound::VirtualWaveOut device;
  zunka::sound::NoSoundFiles files;
  zunka::sound::TRavlink component(device, files);
  zunka::sound::MusicPlayer music(component, link);

  EXPECT_FALSE(link.used());
  music.play(zunka::platform::systemPath(kMidiFile), true);  // not running: launched
  unsetenv("ZUNKA_MIDI_LOG");
  EXPECT_TRUE(link.used());
  auto block = zunka::platform::SharedBlock::open(share);
  ASSERT_TRUE(block);
  int32_t pid = block->word(0);
  ASSERT_GT(pid, 0);
  EXPECT_TRUE(music.ping(1));  // answers w + 17
  ASSERT_TRUE(within(3000, [&] { return readFile(log).find("play") != std::string::npos; }));
  EXPECT_EQ(readFile(log), "ready\nplay " + kMidiFile + " (loop)\n");
  EXPECT_FALSE(link.busy());  // the marker is gone once the file is loaded

  music.stop();
  ASSERT_TRUE(within(3000, [&] { return readFile(log).find("stop") != std::string::npos; }));
  music.shutDown();
  ASSERT_TRUE(within(3000, [&] { return processGone(pid); }));
  EXPECT_EQ(readFile(log), "ready\nplay " + kMidiFile + " (loop)\nstop\nexit\n");
  EXPECT_EQ(block->word(0), 0);  // it took its id out of the block
  zunka::platform::SharedBlock::unlink(share);
}

TEST(MidiPlayerProgram, EndsWhenThePlayerThatStartedItIsGone) {
  std::string share = uniqueShare("orphan");
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  pid_t player = fork();
  ASSERT_GE(player, 0);
  if (player == 0) {
    // A stand-in player: starts the MIDI player, says its id, and dies.
    int32_t pid = zunka::platform::spawnProgram(kProgram, {"--share", share});
    if (write(fds[1], &pid, sizeof pid) != sizeof pid) _exit(1);
    zunka::platform::sleepMilliseconds(300);
    _exit(0);
  }
  int32_t pid = 0;
  ASSERT_EQ(read(fds[0], &pid, sizeof pid), ssize_t(sizeof pid));
  close(fds[0]);
  close(fds[1]);
  ASSERT_GT(pid, 0);
  waitpid(player, nullptr, 0);
  EXPECT_TRUE(within(3000, [&] { return processGone(pid); }));
  zunka::platform::SharedBlock::unlink(share);
}

// Offline: the four notes, then a second of their tails, as a stereo WAV file.
TEST(MidiPlayerProgram, RendersAFileOffline) {
  // Starting a MIDI player leaves children unwaited-for; std::system waits.
  signal(SIGCHLD, SIG_DFL);
  zunka::testing::TempDir dir;
  fs::path out = fs::path(dir.host()) / "arpeggio.wav";
  std::string command = kProgram + " --render '" + kMidiFile + "' '" + out.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::string wav = readFile(out);
  ASSERT_GT(wav.size(), 44u);
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(wav.substr(22, 2), std::string("\x02\x00", 2));  // stereo
  size_t frames = (wav.size() - 44) / 4;
  EXPECT_GT(frames, size_t(44100 * 3));  // two seconds of notes and the tail
  EXPECT_LT(frames, size_t(44100 * 10));
  auto energy = [&](size_t from, size_t to) {
    double sum = 0;
    for (size_t f = from; f < to; ++f) {
      auto s = int16_t(uint8_t(wav[44 + 4 * f]) | uint8_t(wav[45 + 4 * f]) << 8);
      sum += double(s) * s;
    }
    return sum / double(to - from);
  };
  EXPECT_GT(energy(0, 44100), 1e4);                                  // the notes are heard
  EXPECT_LT(energy(frames - 4410, frames), energy(0, 44100) / 100);  // the tail dies away

  std::string again = (fs::path(dir.host()) / "again.wav").string();
  ASSERT_EQ(std::system((kProgram + " --render '" + kMidiFile + "' '" + again + "'").c_str()), 0);
  EXPECT_EQ(readFile(again), wav);  // the same bytes every time

  fs::path notMidi = fs::path(dir.host()) / "not.mid";
  std::ofstream(notMidi) << "not a MIDI file";
  std::string failing =
      kProgram + " --render '" + notMidi.string() + "' '" + again + "' 2>/dev/null";
  EXPECT_NE(std::system(failing.c_str()), 0);
}

}  // namespace
