#include "vm/forwarded_call.h"

#include <string>

#include "vm/class_object.h"
#include "vm/errors.h"

namespace zunka::vm {

void ForwardedCall::buildFrame(uint32_t at, TValue* sp, int32_t steps) const {
  FrameRecord* fr = reinterpret_cast<FrameRecord*>(frame + 1);
  fr->function = callee->handle();
  fr->returnAddress = callAt + 4 * 4;  // past the DCall
  fr->argc = int32_t(argc);
  fr->thisSlot = Arena::refOf(target);
  fr->callerFrame = p->fp;
  fr->position[0] = p->position[0];
  fr->position[1] = p->position[1];
  fr->position[2] = p->position[2];
  for (int32_t i = 0; i < callee->localCount(); ++i) frame[-i] = TValue{};
  p->fp = Arena::refOf(frame);
  p->thisSlot = Arena::refOf(target);
  p->sp = Arena::refOf(sp);
  p->pc = Arena::refOf(body + at);
  p->avail = avail - steps;
}

void ForwardedCall::releaseSlowly(TValue& v, uint32_t at, TValue* sp, int32_t steps) const {
  std::string error;
  if (releaseOrSay(v, error)) return;
  buildFrame(at, sp, steps);
  throw ERuntimeError(error);
}

Forwarded forwardCall(ForwardedCall& call, const ForwardingShape& shape, const TValue* stackLow) {
  TNativeFunction* const native = hostAs<TNativeFunction>(call.body[shape.nativeCallAt + 2]);
  if (!native || !native->plain) return Forwarded::NotTaken;
  TValue* const target = call.target;
  const uint32_t argc = call.argc;
  const uint32_t* const body = call.body;
  const int32_t locals = call.callee->localCount();
  TValue* const newSp = call.frame - (locals - 1);
  // The pushes fit in the room a call keeps.
  static_assert(8 * (ForwardingShape::kMostPushes + 1) <= TProcess::kCallMargin);
  if (locals < 0 || reinterpret_cast<const std::byte*>(newSp) <
                        reinterpret_cast<const std::byte*>(stackLow) + TProcess::kCallMargin)
    return Forwarded::NotTaken;
  // The native's target and arguments go where the body pushes them; nothing is
  // counted before every operand is known good.
  TValue* const nativeTarget = newSp - 1;
  const uint32_t pushes = shape.pushes;
  const uint32_t nativeAt = shape.nativeCallAt;
  const bool returnsThis = shape.ending == ForwardingShape::Ending::This;
  // memberCell(*target, slot), the object and its class known
  const uint32_t memberSlots =
      uint32_t(call.selfClass->instanceSize() - int32_t(TfObject::kHeaderBytes)) / 8;
  const TValue* const members = call.self->members();
  TValue* slot = nativeTarget;
  bool objectsPushed = false;  // none (handles, numbers): nothing to count
  for (uint32_t i = 0; i < pushes; ++i) {
    const ForwardingShape::Push push = shape.push[i];
    const uint32_t* at = body + push.at;
    --slot;
    if (push.source == ForwardingShape::Source::Argument) {
      *slot = at[1] < argc ? target[-1 - int32_t(at[1])] : TValue{};
    } else if (push.source == ForwardingShape::Source::Member) {
      if (at[2] >= memberSlots) return Forwarded::NotTaken;
      *slot = members[at[2]];
    } else {
      *slot = TValue::ofRef(static_cast<TVType>(at[1] & 0xFF), at[2]);
    }
    objectsPushed |= slot->kind == vtObject;
  }
  TValue* const pushed = slot;
  if (objectsPushed)
    for (TValue* v = pushed; v < nativeTarget; ++v) retain(*v);
  // `this` is the live object the call found: counted without looking again.
  *nativeTarget = *target;
  ++call.self->refCount;

  const int32_t atNative = int32_t(pushes) + 2;  // PushThis, the pushes, NativeCall
  TProcess* const p = call.p;
  try {
    native->handler(native, nativeTarget, int32_t(pushes), 0);
  } catch (...) {
    call.buildFrame(nativeAt, pushed, atNative);
    throw;
  }
  if (p->released | p->yieldFlag | p->halted | p->sliceEnded) [[unlikely]] {
    if (!p->released) call.buildFrame(nativeAt, pushed, atNative);
    return Forwarded::Resumed;
  }
  // NativeCall lets its arguments go, lowest first.
  for (TValue* a = pushed; a < nativeTarget; ++a) {
    TValue v = *a;
    *a = TValue{};
    call.release(v, nativeAt, a + 1, atNative);  // what the native left there
  }
  uint32_t retAt = nativeAt + 3;
  int32_t atRet = atNative + 1;
  if (returnsThis) {
    // Pop drops the native's result, PushThis pushes `this`.
    call.release(*nativeTarget, retAt, nativeTarget + 1, atNative + 1);
    *nativeTarget = *target;
    retain(*nativeTarget);
    retAt += 2;
    atRet += 2;
  }
  // Ret: the result goes to the target slot once the arguments and `this` went.
  const TValue result = *nativeTarget;
  *nativeTarget = TValue{};
  for (int32_t i = int32_t(argc); i >= 1; --i) {
    TValue v = target[-i];
    target[-i] = TValue{};
    call.release(v, retAt, call.frame + 1, atRet);
  }
  // `this` is still the live object the call counted (the target slot is the
  // caller's, which a plain native never touches).
  TValue self = *target;
  *target = TValue{};
  if (call.self->refCount > 1) [[likely]]
    --call.self->refCount;
  else
    call.release(self, retAt, call.frame + 1, atRet);
  *target = result;
  return Forwarded::Returned;
}

}  // namespace zunka::vm
