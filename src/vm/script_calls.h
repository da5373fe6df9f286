#pragma once
// Host code calling into scripts: a method run to its end in a process of its own,
// and objects made the way `new` makes them.
#include <string_view>
#include <vector>

#include "vm/value.h"

namespace zunka::vm {

class ClassObject;

class TProcess;

// What became of a process run to its end.
struct RunOutcome {
  int state = 2;  // 0 ran to its end, 2 failed (or was destroyed by its own script)
  TValue result;  // the returned value (retained), null unless it returned one
};

// Runs `p` slice after slice until it halts, then destroys it. The debugger's
// step budget and the preemption flag belong to whoever asked, so they are kept.
// With `maxRuns` above 0, a process still running after that many full slices
// is ended with an error: host code waiting for a script must not hang the player.
// So is one that cannot go on because the run it is nested in spent its allowance
// (vm/work_allowance.h).
RunOutcome RunUntilHalted(TProcess* p, int32_t maxRuns = 0);

// The bound host code uses for snippets and page scripts: about a billion
// instructions, far beyond any script that is meant to end.
inline constexpr int32_t kHostScriptRuns = 10000;

// Runs `method` of `self` with `args` until it halts (renewing the step budget)
// and gives its result, retained for the caller. Errors inside are reported by
// the run and give null; an unknown method raises as process creation does.
TValue callMethod(const TValue& self, std::string_view method, const std::vector<TValue>& args);

// A new instance of `cls` after its constructor ran with `args`, retained for
// the caller.
TValue constructObject(ClassObject* cls, const std::vector<TValue>& args);

}  // namespace zunka::vm
