#pragma once
#include <cstdint>
#include <string_view>

// How the player reaches the MIDI player program, a process of its own that
// plays .mid files: a busy marker, a ping that must come back as w + 17, and a
// command (a file path, "stop" or "exit") with a loop flag. MusicPlayer holds
// the waits and attempts; a link only carries single messages.
namespace zunka::sound {

class MidiLink {
 public:
  virtual ~MidiLink() = default;
  // The busy marker exists: the MIDI player is loading and takes no command.
  virtual bool busy() = 0;
  // One ping with `w`: true when the MIDI player answered w + 17.
  virtual bool ping(uint16_t w) = 0;
  // Starts the MIDI player program, hidden and without a shell.
  virtual void launch() = 0;
  // The loop flag and the command text into the shared block, then the command
  // message; nothing is said back.
  virtual void send(std::string_view command, bool loop) = 0;
  // The MIDI player has been reached or started in this run: "exit" is worth
  // sending at the end.
  virtual bool used() const = 0;

  // Time, for the waits between attempts.
  virtual uint32_t tickCount() = 0;
  virtual void sleep(uint32_t ms) = 0;
  // The status line the waits show ("" clears it).
  virtual void showStatus(std::string_view text) = 0;
};

}  // namespace zunka::sound
