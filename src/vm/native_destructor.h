#pragma once
#include <cstdint>
#include <cstring>
#include <optional>

#include "vm/arena.h"
#include "vm/function.h"
#include "vm/host_handles.h"
#include "vm/opcodes.h"

namespace zunka::vm {

// Runs the destructor `d` of the object at `record` without a process of its own
// when all it does is hand one member of `this` to a native and return, as the
// kernel's strings, arrays, tables and processes do to free their host bodies
// (a process for each would cost far more than the native itself). Gives
// nullopt when the destructor has another shape or the run would be nested too
// deep; otherwise whether it came to its end (false: the native failed, which
// was reported).
std::optional<bool> RunNativeOnlyDestructor(Ref record, const TNormalFunction* d);

// Whether finishing the garbage record `record` would show nothing but memory
// given back: its class's destructor is the string's, which only frees the body
// it is handed (RunNativeOnlyDestructor's quick case), and no member holds an
// object whose release could run anything. At exit such garbage may be left
// unfinished: a string a table or list held is then not finished one by one.
bool FinishingIsSilent(Ref record);
// The same for many records of one class, its destructor read once:
// SilentFinishingSlots gives the class's member slot count when its destructor is
// the string's, -1 otherwise, and FinishingIsSilent(record, slots) then only looks
// at the record's members.
int32_t SilentFinishingSlots(ClassObject* cls);
bool FinishingIsSilent(Ref record, int32_t silentSlots);

// For a destructor of that shape, the native it calls and the member slot it
// hands over; nullptr for any other destructor (or none). Inline: every string
// made in place of a garbage one and every string that goes asks.
inline TNativeFunction* NativeOnlyDestructorCall(const TNormalFunction* d, uint32_t& slot) {
  // PushThis; PushThis_SMemberValPtr_Deref M; NativeCall 1, N; Pop; PushThis; Ret,
  // the fixed words compared two at a time.
  constexpr uint32_t kShapeWords = 11;
  auto pair = [](uint32_t first, uint32_t second) {
    return uint64_t(first) | uint64_t(second) << 32;
  };
  if (!d || !d->code || d->code->lengthBytes() / 4 < kShapeWords) return nullptr;
  const uint32_t* w = d->code->words();
  uint64_t pairs[3];
  std::memcpy(&pairs[0], w, sizeof pairs[0]);
  std::memcpy(&pairs[1], w + 5, sizeof pairs[1]);
  std::memcpy(&pairs[2], w + 8, sizeof pairs[2]);
  if (pairs[0] != pair(Op_PushThis, Op_PushThis_SMemberValPtr_Deref) ||
      pairs[1] != pair(Op_NativeCall, 1) || pairs[2] != pair(Op_Pop, Op_PushThis) ||
      w[10] != Op_Ret)
    return nullptr;
  slot = w[3];
  return hostAs<TNativeFunction>(w[7]);
}

}  // namespace zunka::vm
