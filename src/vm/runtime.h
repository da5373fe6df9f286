#pragma once
#include <cstdint>
#include <string>

#include "vm/arena.h"
#include "vm/value.h"

namespace zunka::vm {

class ClassObject;

class TProcess;
class CollectorRoots;

inline constexpr int32_t kUnlimitedSteps = 123456;
inline constexpr int32_t kMaxNestedRuns = 160;

// Interpreter state shared by every process. Everything runs on one thread.
struct Runtime {
  TProcess* current = nullptr;  // innermost running process
  // The process the frame loop runs each frame; the collector marks its stack.
  // Not owned here.
  // The root process the frame loop runs, by handle: a script may destroy it.
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

  // The resource tree, as the collector sees it (nullptr: only the root process).
  CollectorRoots* collectorRoots = nullptr;

  // Called when the debug step budget runs out; returns when it is positive again.
  void (*pauseRoutine)() = nullptr;
};

inline Runtime runtime;

// Ensures the arena and the shared cells exist.
void initializeRuntime();
// The dummy cell, after releasing what a script may have stored through it.
TValue* resetDummy(bool toError);

}  // namespace zunka::vm
