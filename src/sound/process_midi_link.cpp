#include "sound/process_midi_link.h"

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/process_messages.h"
#include "platform/program_launcher.h"
#include "platform/sjis_text.h"
#include "resources/paths.h"
#include "resources/project_state.h"

namespace zunka::sound {
namespace {

constexpr size_t kProcessWord = 0;
constexpr size_t kLoopWord = 4;
constexpr size_t kClearedWord = 8;
constexpr size_t kPingWord = 12;
constexpr size_t kCommandText = 16;
// A live MIDI player answers at once; a hung one must not hold the player long.
constexpr int32_t kAnswerMilliseconds = 300;

}  // namespace

platform::SharedBlock* ProcessMidiLink::take() {
  if (!block_) block_ = platform::SharedBlock::open(setup_.shareName);
  if (!block_) return nullptr;
  block_->setWord(kLoopWord, 0);
  block_->setWord(kClearedWord, 0);
  block_->setWord(kCommandText, 0);
  return block_.get();
}

bool ProcessMidiLink::busy() {
  return !setup_.busyMarker.empty() && platform::fileExists(setup_.busyMarker);
}

bool ProcessMidiLink::ping(uint16_t w) {
  platform::SharedBlock* block = take();
  if (!block) return false;
  block->setWord(kPingWord, 0);
  platform::ProcessMessage message{kPingMessage, w, 0};
  auto answer =
      platform::sendProcessMessage(block->word(kProcessWord), message, kAnswerMilliseconds);
  bool alive = answer && *answer == int32_t(w) + 17;
  used_ = used_ || alive;
  return alive;
}

void ProcessMidiLink::launch() {
  std::vector<std::string> args{"--share", setup_.shareName};
  if (!setup_.busyMarker.empty())
    args.insert(args.end(), {"--busy", platform::hostPath(setup_.busyMarker)});
  if (!setup_.soundFont.empty()) args.insert(args.end(), {"--font", setup_.soundFont});
  if (platform::spawnProgram(setup_.program, args) != 0) used_ = true;
}

void ProcessMidiLink::send(std::string_view command, bool loop) {
  platform::SharedBlock* block = take();
  if (!block) return;
  std::string text(command);
  // A file path travels as the host spells it (UTF-8); the words stay as they are.
  if (command != "stop" && command != "exit") text = platform::hostPath(command);
  block->setWord(kLoopWord, loop ? 1 : 0);
  block->setText(kCommandText, text);
  platform::sendProcessMessage(block->word(kProcessWord), {kCommandMessage, 0, 0},
                               kAnswerMilliseconds);
}

uint32_t ProcessMidiLink::tickCount() {
  return platform::tickCount();
}

void ProcessMidiLink::sleep(uint32_t ms) {
  platform::sleepMilliseconds(ms);
}

void ProcessMidiLink::showStatus(std::string_view text) {
  projectState().statusText = std::string(text);
}

}  // namespace zunka::sound
