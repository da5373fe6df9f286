#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "vm/host_handles.h"
#include "vm/process.h"
#include "vm/runtime.h"

namespace zunka {

// The player's process-wide state: what the frame loop, start-up, page loading,
// the screen and the debugger share. Everything runs on one thread, so plain
// fields are enough.
struct HostState {
  // --- Frame loop ---
  // The frame now running is the last of its batch: only then do the drawing
  // natives record sprites. True from the creation of the screen window.
  bool drawFrame = false;
  bool paused = false;             // doPause sent, doPauseEnd not yet
  bool designMode = true;          // from start-up until a page runs, again after StartDesign
  bool debugHalt = false;          // the debugger's break loop is active
  bool inFrameLoop = false;        // re-entrancy guard
  bool pauseWhenInactive = false;  // project parameter deactivation_pause = "1"
  bool applicationActive = true;   // the player's window is in the foreground
  // Keys read as up while the window is in the background (deactivation_disablekey).
  bool disableKeysWhenInactive = true;
  bool runtimeErrorSeen = false;  // cleared when a page is loaded and run
  bool checkExec = false;         // the debug window's auto-run box ("自動実行")
  bool drawingSuspended = false;  // after an invalid operation, until the next paint
  int32_t frameInterval = 17;     // milliseconds per frame
  int32_t maxFramesPerBatch = 7;
  double clockBase = 0;                    // the next frame boundary not yet consumed, ms
  std::string frameDigits = "0000000000";  // frames per call, last ten calls
  int32_t ringPosition = 1;                // next character of frameDigits to write, from 1
  int32_t drawCount = 0;
  int32_t frameCount = 0;
  std::string debugCaption;    // "0:" + frameDigits + memory statistics
  std::string preemptedLabel;  // "Preempted" or "not Preempted"

  // --- Start-up ---
  bool booting = false;
  bool booted = false;
  bool noPageRunning = false;
  bool fullScreen = false;
  bool closing = false;  // the screen window is closing: no frame runs any more
  std::string baseDir;   // system form: Shift_JIS, `\` separators, no trailing `\`
  std::string workDir;
  std::string fileToOpen;
  std::string applicationTitle = "Zunka System";  // caption of message boxes
  // The project's help file (path or URL).
  std::string helpFile;
  // What the loading window would say ("コンパイルしています"); it shows none.
  std::string statusText;
  // The page hash of the kernel's files: the kernel's identity.
  int32_t kernelId = 0;

  // --- Project behaviour flags (parameters of the open project) ---
  bool pauseDisabled = false;  // disable_pause = "1"

  // --- Debug window ---
  // The file list: the kernel's files after boot, "$$$project files" and the
  // project's files once a project opens.
  std::vector<std::string> debugFileList;

  // The root process (kept by the virtual machine, by handle).
  vm::TProcess* root() const { return vm::hostAs<vm::TProcess>(vm::runtime.rootProcess); }
};

inline HostState hostState;

// Budget of one run of the root process per frame.
inline constexpr int32_t kFrameStepBudget = 123456;

}  // namespace zunka
