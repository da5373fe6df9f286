#pragma once
#include <climits>
#include <cstdint>
#include <string>

#include "vm/host_handles.h"
#include "vm/process.h"
#include "vm/runtime.h"

namespace zunka {

// The frame loop's and the screen window's state: what the frame loop, start-up,
// the screen and the debugger share. The project's and the page's state is in
// ProjectState. Everything runs on one thread, so plain fields are enough.
struct HostState {
  // --- Frame loop ---
  bool paused = false;            // doPause sent, doPauseEnd not yet
  bool debugHalt = false;         // the debugger's break loop is active
  bool inFrameLoop = false;       // re-entrancy guard
  bool applicationActive = true;  // the player's window is in the foreground
  bool checkExec = false;         // the debug window's auto-run box ("自動実行")
  bool drawingSuspended = false;  // after an invalid operation, until the next paint
  int32_t frameInterval = 17;     // milliseconds per frame
  int32_t maxFramesPerBatch = 7;
  // A replayed input log lets no batch run past the frame its next input is due
  // before (0: no frame may run now).
  int32_t framesBeforeInput = INT32_MAX;
  double clockBase = 0;                    // the next frame boundary not yet consumed, ms
  std::string frameDigits = "0000000000";  // frames per call, last ten calls
  int32_t ringPosition = 1;                // next character of frameDigits to write, from 1
  int32_t drawCount = 0;
  int32_t frameCount = 0;
  std::string debugCaption;    // "0:" + frameDigits + memory statistics
  std::string preemptedLabel;  // "Preempted" or "not Preempted"

  // --- Start-up and the window ---
  bool booting = false;
  bool booted = false;
  bool fullScreen = false;
  bool closing = false;      // the screen window is closing: no frame runs any more
  bool soundEnabled = true;  // the window's sound switch

  // The root process (kept by the virtual machine, by handle).
  vm::TProcess* root() const { return vm::hostAs<vm::TProcess>(vm::runtime().rootProcess); }
};

// The current player's.
HostState& hostState();

// Budget of one run of the root process per frame.
inline constexpr int32_t kFrameStepBudget = 123456;

}  // namespace zunka
