#pragma once
#include <cstdint>

namespace zunka::vm {

// Counts of live records, printed by the statistics line so that
// leaks show up while a game runs.
struct LiveCounters {
  int64_t objects = 0;  // live script objects
  int64_t stacks = 0;   // process stack blocks
  int64_t processes = 0;
  int64_t arrayCells = 0;   // cells of array bodies
  int64_t valueCells = 0;   // cells of every host value list
  int64_t tfStrings = 0;    // string bodies
  int64_t functions = 0;    // compiled functions
  int64_t lexElems = 0;     // tokens of the grammar engine
  int64_t resultLists = 0;  // parse result nodes
  int64_t parses = 0;       // parse trees not yet freed
};

}  // namespace zunka::vm
