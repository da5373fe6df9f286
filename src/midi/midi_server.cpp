#include "midi/midi_server.h"

#include <cstdio>
#include <memory>

#include "platform/files.h"
#include "platform/midi_synth.h"
#include "platform/process_messages.h"
#include "platform/program_launcher.h"
#include "platform/shared_block.h"
#include "platform/stream_output.h"

namespace zunka::midi {
namespace {

constexpr uint32_t kPing = 0x0204;
constexpr uint32_t kCommand = 0x0201;
constexpr size_t kProcessWord = 0;
constexpr size_t kLoopWord = 4;
constexpr size_t kCommandText = 16;
// How often, at the latest, it looks whether its parent is still there.
constexpr int32_t kWatchMilliseconds = 250;

class Service {
 public:
  explicit Service(const ServerOptions& options) : options_(options) {
    if (!options_.logFile.empty()) log_ = platform::StreamOutput::createFile(options_.logFile);
  }

  void setBusy(bool busy) {
    if (options_.busyMarker.empty()) return;
    std::string marker = platform::systemPath(options_.busyMarker);
    if (busy)
      platform::writeFile(marker, "");
    else
      platform::deleteFile(marker);
  }

  void note(const std::string& line) {
    if (log_) log_->writeLine(line);
  }

  int run() {
    int32_t parent = platform::parentProcessId();
    platform::endWithParent();
    platform::MessagePort port;
    std::unique_ptr<platform::SharedBlock> block = platform::SharedBlock::open(options_.shareName);
    if (!port.listening() || !block) {
      std::fprintf(stderr, "zunka-midi: cannot open %s\n", options_.shareName.c_str());
      return 1;
    }
    setBusy(true);
    std::string error;
    synth_ = platform::MidiSynth::create(platform::findSoundFont(options_.soundFont), true, error);
    // Without a synthesiser it still answers, so the player never waits on it.
    if (!synth_) std::fprintf(stderr, "zunka-midi: %s; MIDI files stay silent\n", error.c_str());
    block->setWord(kProcessWord, platform::currentProcessId());
    setBusy(false);
    note("ready");
    bool exiting = false;
    while (!exiting && platform::parentProcessId() == parent) {
      platform::ProcessMessage message;
      if (!port.receive(message, kWatchMilliseconds)) continue;
      if (message.message == kPing) {
        port.reply(message.w + 17);
        continue;
      }
      if (message.message != kCommand) {
        port.reply(0);
        continue;
      }
      // Read before answering: once answered, the player may take the block again.
      std::string text = block->text(kCommandText);
      bool loop = block->word(kLoopWord) != 0;
      port.reply(0);
      exiting = command(text, loop);
    }
    if (block->word(kProcessWord) == platform::currentProcessId()) block->setWord(kProcessWord, 0);
    synth_.reset();
    setBusy(false);
    return 0;
  }

 private:
  // True on "exit".
  bool command(const std::string& text, bool loop) {
    if (text == "exit") {
      note("exit");
      return true;
    }
    if (text == "stop") {
      note("stop");
      if (synth_) synth_->stop();
      return false;
    }
    if (text.empty()) return false;
    setBusy(true);
    bool ok = synth_ && synth_->play(text, loop);
    setBusy(false);
    note(std::string(ok ? "play " : "cannot play ") + text + (loop ? " (loop)" : ""));
    return false;
  }

  const ServerOptions& options_;
  std::unique_ptr<platform::MidiSynth> synth_;
  std::unique_ptr<platform::StreamOutput> log_;
};

}  // namespace

int runServer(const ServerOptions& options) {
  return Service(options).run();
}

}  // namespace zunka::midi
