#pragma once
// Calls of forwarding methods (ForwardingShape, quick_code.h) whose native is
// plain: the interpreter's quick DCall hands them here. Kept out of
// interpreter.cpp, which is compiled with its values kept whole.
#include <cstdint>

#include "vm/class_object.h"
#include "vm/function.h"
#include "vm/process.h"
#include "vm/quick_code.h"
#include "vm/value.h"

namespace zunka::vm {

// A forwarded call: the DCall of a forwarding method (ForwardingShape) whose
// native is plain (TNativeFunction::plain) runs the native without building the
// method's frame. The native's target and arguments still go to the very stack
// cells the body pushes them to, counted as the pushes count them, and every
// release is made in the written order; only the frame record and the registers
// are left out, which a plain native never looks at. Whenever anything else is
// to be seen (the native fails, a release fails, the native stopped the slice)
// the frame is built there and then, with the registers the written code has at
// that instruction, so errors, traces and slices are what they always were.
// A native with a lookup (TNativeFunction::lookup) under a body that returns its
// result is only asked, its operands read where they lie: nothing is pushed or
// counted up and down, and the call ends as the body's Ret ends it.
struct ForwardedCall {
  TProcess* p;
  TNormalFunction* callee;
  TfObject* self;  // `this` of the body, an object of
  ClassObject* selfClass;
  TValue* target;  // the caller's target slot, holding `this`
  uint32_t argc;
  Ref callAt;     // the DCall
  TValue* frame;  // the body's local 0 once its frame is built
  int32_t avail;  // the steps left after the DCall
  const uint32_t* body;

  // Builds the frame, and leaves the registers as the written code has them at
  // the body's word `at` with the stack top at `sp`, `steps` instructions of
  // the body into the slice.
  void buildFrame(uint32_t at, TValue* sp, int32_t steps) const;

  // release(), or, where it would raise, the error from the body's word `at`.
  void release(TValue& v, uint32_t at, TValue* sp, int32_t steps) const {
    if (v.kind != vtObject) return;
    if (Arena::isObject(v.ref) && objectAt(v.ref)->refCount > 1) [[likely]] {
      --objectAt(v.ref)->refCount;
      return;
    }
    releaseSlowly(v, at, sp, steps);
  }
  void releaseSlowly(TValue& v, uint32_t at, TValue* sp, int32_t steps) const;
};

// How a forwarded call went.
enum class Forwarded {
  NotTaken,  // an operand the written code would fail on: nothing was done
  Returned,  // the body returned into the target slot
  Resumed,   // the native killed the process, or the frame stands with the
             // registers saved at the NativeCall just after its native returned:
             // the written code goes on from there
};

// Runs the call (the registers saved at the DCall; the caller made sure of the
// slice's room for the whole body). NotTaken as well when the body's native is
// not plain (looked up here, where the handle lookup is inline).
Forwarded forwardCall(ForwardedCall& call, const ForwardingShape& shape, const TValue* stackLow);

// The call of a forwarding method whose body returns what its native's lookup
// (TNativeFunction::lookup) gives, as forwardCall makes it, where the body's Ret
// can do nothing but count the arguments and `this` down (none of them is the
// last reference to an object): the native asked with the operands where they
// lie, the result in the target slot, the arguments cleared. False with nothing
// done otherwise (the caller goes on as it would have). The caller made sure of
// the slice's room for the whole body, as for forwardCall. Out of line, and
// small, so that the dispatch loop keeps its registers.
[[gnu::noinline]] bool lookUpForwarded(const TNormalFunction* callee, const ForwardingShape& shape,
                                       TfObject* self, const ClassObject* selfClass, TValue* target,
                                       uint32_t argc, const TValue* stackLow);

// lookUpForwarded for the containers' `get(k) { return _n_get(_h, k); }` called
// with its one argument (ForwardingShape::memberThenArgument, argc 1): the same
// checks and steps without the loops over the operands and arguments. Apart, so
// that the everyday container call pays only for the registers it uses.
[[gnu::noinline]] bool lookUpMemberByArgument(const TNormalFunction* callee,
                                              const ForwardingShape& shape, TfObject* self,
                                              const ClassObject* selfClass, TValue* target,
                                              const TValue* stackLow);

}  // namespace zunka::vm
