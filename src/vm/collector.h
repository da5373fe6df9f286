#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "vm/arena.h"
#include "vm/value.h"

namespace zunka::vm {

// What the collector walks besides the root process's stack: the resource tree,
// which marks and sweeps the objects its resources hold.
class CollectorRoots {
 public:
  virtual ~CollectorRoots() = default;
  virtual void MarkRoots() = 0;
  virtual void SweepRoots() = 0;
};

// The collector's working state, kept with the machine.
struct CollectorState {
  bool checking = false;  // the checking pass is running
  // Marking visits members from a work list rather than by recursion, so a long
  // chain of objects cannot exhaust the host stack.
  std::vector<Ref> pending;
  bool draining = false;
  std::vector<std::string> report;
  int64_t destroyed = 0;  // records the last collecting pass destroyed
};

// Mark-and-sweep collection over the resource tree and the root process. Reference
// counting frees everyday garbage; a collection, on request, also reclaims cycles.
// (Stopping a page asks for one after clearing the root process, so that request
// returns at once; a debugger's collect command is the caller to come.) It runs two passes of the
// same walk: a checking pass that compares every live record's count with the references actually
// found and lists the records whose count is too low, then the collecting pass that destroys every
// record the walk did not reach, whatever its count.
//
// Does nothing when there is no root process (runtime().rootProcess).
void Collect();

// True during the checking pass.
bool CollectorChecking();

// Marks the object a value refers to (nothing for other values).
void MarkValue(const TValue& v);
// First visit: mark 1, run the class's gc_mark in a process of its own (so the
// class can mark what it keeps outside its members), then mark every member.
// Further visits only count: the mark ends as 1 + the further references met.
void MarkObject(Ref record);
// Checking pass: lists the record when its count is below the references found.
// Collecting pass: destroys it when unmarked. Both reset the mark.
void SweepObject(Ref record);

// Finishes an object record: runs its class's destructor in a process of its own,
// releases its members in slot order ("Decref failed at " on a broken count), and
// marks the record free. With `mayWait`, garbage whose destructor (one that needs
// a process) cannot run now is left waiting for it instead
// (vm/waiting_destructors.h).
void DestroyObject(Ref record, bool mayWait = false);

// Lines the last checking pass listed: class label, ":r=" references found,
// ",f=" count, "," record.
const std::vector<std::string>& CollectorReport();
// How many records the last collection destroyed.
int64_t CollectorDestroyed();

// "// GC=" blocks " gar=" tokens " resgar=" parse results " stk=" stacks " prc="
// processes "list=" array cells "/" value cells "// tfstr=" strings " func=" functions.
std::string Statistics();

}  // namespace zunka::vm
