#pragma once

namespace zunka {

// Live-object counts of the grammar engine, printed by the memory statistics line
// ("gar=" tokens, "resgar=" result nodes) so that leaks of compiler data show up
// while a game runs. Single-threaded like the rest of the engine.
struct GrammarCounters {
  static inline int liveTokens = 0;
  static inline int liveResultNodes = 0;
  static inline int outstandingParses = 0;
};

inline int liveTokenCount() {
  return GrammarCounters::liveTokens;
}
inline int liveResultNodeCount() {
  return GrammarCounters::liveResultNodes;
}
inline int outstandingParseCount() {
  return GrammarCounters::outstandingParses;
}

}  // namespace zunka
