#pragma once
#include "vm/runtime.h"

namespace zunka {

// Live-object counts of the grammar engine, printed by the memory statistics line
// ("gar=" tokens, "resgar=" result nodes) so that leaks of compiler data show up
// while a game runs. They are kept with the other live counts of the system.
inline int liveTokenCount() {
  return int(vm::liveCounters().lexElems);
}
inline int liveResultNodeCount() {
  return int(vm::liveCounters().resultLists);
}
inline int outstandingParseCount() {
  return int(vm::liveCounters().parses);
}

}  // namespace zunka
