#pragma once
// Host code calling into scripts: a method run to its end in a process of its own,
// and objects made the way `new` makes them.
#include <string_view>
#include <vector>

#include "vm/value.h"

namespace zunka {
class TRTTI;
}

namespace zunka::vm {

// Runs `method` of `self` with `args` until it halts (renewing the step budget)
// and gives its result, retained for the caller. Errors inside are reported by
// the run and give null; an unknown method raises as process creation does.
TValue callMethod(const TValue& self, std::string_view method, const std::vector<TValue>& args);

// A new instance of `cls` after its constructor ran with `args`, retained for
// the caller.
TValue constructObject(TRTTI* cls, const std::vector<TValue>& args);

}  // namespace zunka::vm
