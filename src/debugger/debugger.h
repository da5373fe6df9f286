#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "debugger/line_breakpoints.h"
#include "debugger/source_files.h"
#include "resources/player_hosts.h"
#include "shell/host_state.h"
#include "vm/arena.h"
#include "vm/process.h"

namespace zunka::debugger {

// What the user sees of the debugger and how it waits for them: the debug
// window, or a script of commands read headless.
class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  // The interpreter stopped: show where (the window comes up).
  virtual void stopped() = 0;
  // One round of waiting while stopped: handle what the user does. Called again
  // until a command lets the run go on or the player is closing.
  virtual void waitWhileStopped() = 0;
  // The run goes on.
  virtual void resumed() = 0;
  // The tree and the classes changed (a page was loaded).
  virtual void viewsStale() {}
};

// The debugger: stepping, running to an address or a source line, stopping, and
// the pause routine the interpreter calls when its debug step budget runs out.
//
// Breakpoints cost the interpreter nothing while none is set. With one set, the
// debugger keeps the budget at one instruction and looks, each time it runs out,
// whether the next instruction is one to stop at; if not, the run goes on with
// its own step count, so a frame still ends where it would have.
class Debugger final : public DebuggerHost {
 public:
  explicit Debugger(HostState& host) : host_(host) {}
  ~Debugger() override;
  Debugger(const Debugger&) = delete;
  Debugger& operator=(const Debugger&) = delete;

  void setFrontEnd(FrontEnd* frontEnd) { frontEnd_ = frontEnd; }

  // --- Commands. While stopped they take effect when the wait ends; while the
  // game runs, at its next instruction. ---
  // Exactly one more instruction, then stop again.
  void step();
  // Runs on, until a line breakpoint when one is set.
  void run();
  // Runs until the instruction at `address` is the next one (or a line
  // breakpoint); the address stays until step or run.
  void runTo(vm::Ref address);
  // Stops the stopped process for good; the next process that runs stops at once.
  void stop();
  // Stops before the game's next instruction.
  void breakNow();
  // Lets the game run free: breakpoints gone, no step limit.
  void detach();

  // --- Breakpoints on source lines ---
  const LineBreakpoint& addBreakpoint(std::string_view file, int line);
  // The breakpoint asked for, or stopping at, that line of that file.
  bool removeBreakpoint(std::string_view file, int line);
  void clearBreakpoints();
  const std::vector<LineBreakpoint>& breakpoints() const { return breakpoints_; }
  std::optional<vm::Ref> runToAddress() const { return runTo_; }

  // --- What the views show ---
  bool isStopped() const { return stopped_; }
  // "停止中" while stopped, else empty.
  const std::string& caption() const { return caption_; }
  // The stopped process, else the root process the frame loop runs (between
  // two frames); nullptr when there is none.
  vm::TProcess* process() const;
  // The source line of the shown process's next instruction.
  std::optional<SourcePlace> place();
  SourceFiles& sources() { return sources_; }
  HostState& host() { return host_; }

  // --- DebuggerHost ---
  void refreshViews() override;
  bool pause() override;

 private:
  bool watching() const { return runTo_ || !addresses_.empty(); }
  bool reached(const vm::TProcess* p) const;
  void resolveAll();
  void startWatching();

  HostState& host_;
  FrontEnd* frontEnd_ = nullptr;
  bool stopped_ = false;
  bool stepping_ = false;
  std::optional<vm::Ref> runTo_;
  std::vector<LineBreakpoint> breakpoints_;
  std::unordered_set<vm::Ref> addresses_;  // where the line breakpoints stop
  std::string caption_;
  SourceFiles sources_;
};

}  // namespace zunka::debugger
