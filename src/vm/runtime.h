#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "vm/arena.h"
#include "vm/collector.h"
#include "vm/live_counters.h"
#include "vm/value.h"
#include "vm/work_allowance.h"

namespace zunka {
class ConsoleSink;
}

namespace zunka::vm {

class ClassObject;
class TProcess;
class CollectorRoots;

inline constexpr int32_t kUnlimitedSteps = 123456;
inline constexpr int32_t kMaxNestedRuns = 160;
static_assert(kWorkPerHostRun == 16 * int64_t(kUnlimitedSteps));

// Interpreter state shared by every process. Everything runs on one thread.
struct Runtime {
  TProcess* current = nullptr;  // innermost running process
  // The root process the frame loop runs each frame and whose stack the collector
  // marks. Kept by handle, not owned: a script may destroy it.
  uint32_t rootProcess = 0;
  int32_t debugStepBudget = kUnlimitedSteps;
  bool preemptWatch = true;
  bool preempted = false;
  std::string preemptedClass;
  std::string lastWarning;  // repeated warnings are shown once
  Ref dummy = 0;            // the cell failed lookups point at

  ClassObject* objectClass = nullptr;
  ClassObject* stringClass = nullptr;
  ClassObject* arrayClass = nullptr;
  int32_t bodySlotHint = 0;    // slot of `_body` in strings
  int32_t arrayBodySlot = -1;  // slot of `_x` in arrays, -1 until known

  // Runs nested inside one another (a native running a process, a snippet, a
  // destructor); bounded so that the host's own stack cannot run out.
  int32_t nestedRuns = 0;
  // What one run from the host and the runs nested in it may still execute.
  WorkAllowance work;
  // Garbage whose destructor waits for the outermost run to end
  // (vm/waiting_destructors.h), oldest first, each held once by the list.
  std::vector<Ref> waitingDestructors;
  bool runningWaitingDestructors = false;

  // The resource tree, as the collector sees it (nullptr: only the root process).
  CollectorRoots* collectorRoots = nullptr;

  // Called when the debug step budget runs out; returns when it is positive
  // again. True when the debugger stopped the run for its user; false when it
  // only looked whether a breakpoint was reached, and the run goes on counting
  // its own steps.
  bool (*pauseRoutine)() = nullptr;
};

// Everything the virtual machine keeps for one player: the interpreter's state,
// the live counts, the collector's work, the random numbers and the console sink.
// The player context owns it; code reaches the current one through machine().
//
// Not in here, on purpose: the value arena, the host handle table and the symbol
// table. They are the process's address space for 32-bit references, handles and
// symbol numbers: the interpreter reads the first two on every instruction
// through plain static pointers, and compiled code and class files hold their
// numbers, so there is one of each per process, shared by every player context.
struct Machine {
  Runtime runtime;
  LiveCounters counters;
  CollectorState collector;
  uint32_t randomState = 0x75BD924;       // the generator's start before any seed
  zunka::ConsoleSink* console = nullptr;  // nullptr: errors to standard error
};

namespace detail {
extern Machine* currentMachine;
}

// The current player's machine. There is always one while the player runs: the
// player context installs it (tests and tools make a context too).
inline Machine& machine() {
  return *detail::currentMachine;
}
// Makes `m` the current machine; gives the one it replaces.
Machine* setMachine(Machine* m);

inline Runtime& runtime() {
  return machine().runtime;
}
inline LiveCounters& liveCounters() {
  return machine().counters;
}

// Ensures the arena and the shared cells exist.
void initializeRuntime();
// The dummy cell, after releasing what a script may have stored through it.
TValue* resetDummy(bool toError);

}  // namespace zunka::vm
