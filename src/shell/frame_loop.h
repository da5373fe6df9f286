#pragma once
#include <cstdint>
#include <exception>

#include "platform/activation.h"
#include "platform/clock_source.h"
#include "resources/player_hosts.h"
#include "shell/host_state.h"
#include "shell/page_host.h"

namespace zunka {

// The player's run-time heart: from the platform's idle time it runs the root
// process once per due frame at the frame interval, at most maxFramesPerBatch
// frames per call (time beyond that is dropped, never made up), lets only the last
// frame of a batch draw, and sends $frameManager its pause and resume
// notifications when running stops and starts again.
class FrameLoop {
 public:
  FrameLoop(HostState& state, platform::ClockSource& clock, const platform::Activation& activation,
            PageHost& pages, const PlayerHosts& hosts)
      : state_(state), clock_(clock), activation_(activation), pages_(pages), hosts_(hosts) {}

  // Called once when the player's windows are created: the clock starts here.
  void setUp();
  // The idle handler. `done` is false while frames run (call again at once) and
  // true when the loop cannot run (wait for the next message).
  void Main(bool& done);
  // Runs the root process once and redraws: design-mode clicks and page requests
  // made while the game does not run.
  void singleStep();

  static constexpr const char* kPauseSnippet = "if($frameManager) $frameManager.doPause();";
  static constexpr const char* kResumeSnippet = "if($frameManager) $frameManager.doPauseEnd();";

 private:
  bool canRun() const;
  void runBatch();
  int32_t takeDueFrames();
  void recordFrameDigit(int64_t frames);
  void runFrames(int32_t frames);
  void reportError(const std::exception& e);
  void pause();
  void resume();
  void redraw();

  HostState& state_;
  platform::ClockSource& clock_;
  const platform::Activation& activation_;
  PageHost& pages_;
  const PlayerHosts& hosts_;
  bool stepping_ = false;
};

// The player's frame loop, for code that needs a single step (mouse handlers in
// design mode, page requests); nothing until the player has made one.
FrameLoop* playerFrameLoop();
void setPlayerFrameLoop(FrameLoop* loop);

}  // namespace zunka
