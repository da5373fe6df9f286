#pragma once
#include <memory>
#include <string>
#include <utility>

#include "platform/shared_block.h"
#include "sound/midi_link.h"

namespace zunka::sound {

// The MIDI player program (zunka-midi) reached as a process: the shared block
// "ZunkaMidiShare" (1,024 bytes: the MIDI player's process id at 0, the loop
// flag at 4, words at 8 and 12 cleared by the player, the command text at 16),
// messages to that process id (0x0204 ping, 0x0201 command), and the busy marker
// file the MIDI player keeps while it loads.
class ProcessMidiLink final : public MidiLink {
 public:
  struct Setup {
    std::string program;     // host path of zunka-midi
    std::string busyMarker;  // system path of the busy marker
    std::string shareName = "/ZunkaMidiShare";
    std::string soundFont;  // host path; empty: the MIDI player's own choice
  };
  explicit ProcessMidiLink(Setup setup) : setup_(std::move(setup)) {}

  void setBusyMarker(std::string systemPath) { setup_.busyMarker = std::move(systemPath); }

  bool busy() override;
  bool ping(uint16_t w) override;
  void launch() override;
  void send(std::string_view command, bool loop) override;
  bool used() const override { return used_; }
  uint32_t tickCount() override;
  void sleep(uint32_t ms) override;
  void showStatus(std::string_view text) override;

  static constexpr uint32_t kPingMessage = 0x0204;
  static constexpr uint32_t kCommandMessage = 0x0201;

 private:
  // The shared block, cleared for use (loop flag, word 8, the command's first
  // four bytes); nothing when it cannot be had.
  platform::SharedBlock* take();

  Setup setup_;
  std::unique_ptr<platform::SharedBlock> block_;
  bool used_ = false;
};

}  // namespace zunka::sound
