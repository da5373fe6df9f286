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

namespace {

// Where a forwarded call's operands lie: `this`, its class, the caller's target
// slot with the arguments below it, and the body's words.
struct OperandPlace {
  TfObject* self;
  const ClassObject* selfClass;
  const TValue* target;
  uint32_t argc;
  const uint32_t* body;
};

// The values the body pushes for its native, in the native's argument order;
// false where the written code would fail on one (a member the object lacks).
// `objects` tells whether any of them is an object (to be counted). Both helpers
// are forced inline: as calls they cost more than their loops.
[[gnu::always_inline]] inline bool readOperands(const OperandPlace& call,
                                                const ForwardingShape& shape, TValue* operands,
                                                bool& objects) {
  if (shape.memberThenArgument) {  // the containers' shape, without the loop
    const uint32_t slot = shape.push[0].operand;
    if (!call.selfClass->hasMemberSlot(slot)) return false;
    operands[0] = call.self->members()[slot];
    const uint32_t argument = shape.push[1].operand;
    operands[1] = argument < call.argc ? call.target[-1 - int32_t(argument)] : TValue{};
    objects = operands[0].kind == vtObject || operands[1].kind == vtObject;
    return true;
  }
  objects = false;
  for (uint32_t i = 0; i < shape.pushes; ++i) {
    const ForwardingShape::Push& push = shape.push[i];
    switch (push.source) {
      case ForwardingShape::Source::Argument:
        operands[i] = push.operand < call.argc ? call.target[-1 - int32_t(push.operand)] : TValue{};
        break;
      case ForwardingShape::Source::Member:
        // memberCell(*target, slot), the object and its class known
        if (!call.selfClass->hasMemberSlot(push.operand)) return false;
        operands[i] = call.self->members()[push.operand];
        break;
      case ForwardingShape::Source::Constant: {
        const uint32_t* at = call.body + push.at;
        operands[i] = TValue::ofRef(static_cast<TVType>(at[1] & 0xFF), at[2]);
        break;
      }
    }
    objects |= operands[i].kind == vtObject;
  }
  return true;
}

// Ret, from the body's word `retAt` (`atRet` steps into it): the result goes to
// the target slot once the arguments and `this` went.
[[gnu::always_inline]] inline void returnResult(const ForwardedCall& call, TValue result,
                                                uint32_t retAt, int32_t atRet) {
  TValue* const target = call.target;
  for (int32_t i = int32_t(call.argc); i >= 1; --i) {
    TValue v = target[-i];
    target[-i] = TValue{};
    call.release(v, retAt, call.frame + 1, atRet);
  }
  // `this` is still the live object the call found (the target slot is the
  // caller's, which a plain native never touches): counted down directly.
  TValue self = *target;
  *target = TValue{};
  if (call.self->refCount > 1) [[likely]]
    --call.self->refCount;
  else
    call.release(self, retAt, call.frame + 1, atRet);
  *target = result;
}

}  // namespace

Forwarded forwardCall(ForwardedCall& call, const ForwardingShape& shape, const TValue* stackLow) {
  TNativeFunction* const native = hostAs<TNativeFunction>(call.body[shape.nativeCallAt + 2]);
  if (!native || !native->plain) return Forwarded::NotTaken;
  TValue* const target = call.target;
  // The pushes fit in the room a call keeps.
  static_assert(8 * (ForwardingShape::kMostPushes + 1) <= TProcess::kCallMargin);
  TValue* const newSp = calleeStackTop(call.callee->localCount(), target, call.argc, stackLow);
  if (!newSp) return Forwarded::NotTaken;
  TValue operands[ForwardingShape::kMostPushes];
  bool objectsPushed = false;  // none (handles, numbers): nothing to count
  if (!readOperands({call.self, call.selfClass, call.target, call.argc, call.body}, shape, operands,
                    objectsPushed))
    return Forwarded::NotTaken;
  const uint32_t pushes = shape.pushes;
  const uint32_t nativeAt = shape.nativeCallAt;
  const int32_t atNative = int32_t(pushes) + 2;  // PushThis, the pushes, NativeCall
  const bool returnsThis = shape.ending == ForwardingShape::Ending::This;

  if (native->lookup && !returnsThis) {
    // Nothing pushed, so nothing counted up and down: only what Ret does shows.
    TValue result;
    bool found;
    try {
      found = native->lookup(*target, operands, int32_t(pushes), result);
    } catch (...) {
      return Forwarded::NotTaken;  // nothing changed: the written code says why
    }
    if (found) {
      retain(result);
      returnResult(call, result, nativeAt + 3, atNative + 1);
      return Forwarded::Returned;
    }
  }

  // The native's target and arguments go where the body pushes them; nothing is
  // counted before every operand is known good.
  TValue* const nativeTarget = newSp - 1;
  TValue* const pushed = nativeTarget - pushes;
  for (uint32_t i = 0; i < pushes; ++i) nativeTarget[-1 - int32_t(i)] = operands[i];
  if (objectsPushed)
    for (TValue* v = pushed; v < nativeTarget; ++v) retain(*v);
  // `this` is the live object the call found: counted without looking again.
  *nativeTarget = *target;
  ++call.self->refCount;

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
  const TValue result = *nativeTarget;
  *nativeTarget = TValue{};
  returnResult(call, result, retAt, atRet);
  return Forwarded::Returned;
}

namespace {

// The native a forwarded lookup asks (and the body's words), when the call may
// be one: the body returns the native's result, `this` outlives the call, the
// native has a lookup, and the frame the written code builds fits (else it fails
// there).
[[gnu::always_inline]] inline TNativeFunction* lookupNative(const TNormalFunction* callee,
                                                            const ForwardingShape& shape,
                                                            const TfObject* self, TValue* target,
                                                            uint32_t argc, const TValue* stackLow,
                                                            const uint32_t*& body) {
  if (shape.ending != ForwardingShape::Ending::Result || self->refCount <= 1) return nullptr;
  body = callee->code->words();
  TNativeFunction* const native = hostAs<TNativeFunction>(body[shape.nativeCallAt + 2]);
  if (!native) return nullptr;
  if (!native->lookup) {  // only plain natives have one
    shape.mayLookUp = false;
    return nullptr;
  }
  if (!calleeStackTop(callee->localCount(), target, argc, stackLow)) return nullptr;
  return native;
}

}  // namespace

bool lookUpMemberByArgument(const TNormalFunction* callee, const ForwardingShape& shape,
                            TfObject* self, const ClassObject* selfClass, TValue* target,
                            const TValue* stackLow) {
  const uint32_t* body;
  TNativeFunction* const native = lookupNative(callee, shape, self, target, 1, stackLow, body);
  if (!native) return false;
  const TValue argument = target[-1];
  // Ret counts the argument down: it may not be freed by it.
  if (argument.kind == vtObject &&
      !(Arena::isObject(argument.ref) && objectAt(argument.ref)->refCount > 1))
    return false;
  TValue operands[2];
  bool objects;
  if (!readOperands({self, selfClass, target, 1, body}, shape, operands, objects)) return false;
  TValue result;
  try {
    if (!native->lookup(*target, operands, 2, result)) return false;
  } catch (...) {
    return false;  // nothing changed: the written code says why
  }
  retain(result);
  if (argument.kind == vtObject) --objectAt(argument.ref)->refCount;
  target[-1] = TValue{};
  --self->refCount;
  *target = result;
  return true;
}

bool lookUpForwarded(const TNormalFunction* callee, const ForwardingShape& shape, TfObject* self,
                     const ClassObject* selfClass, TValue* target, uint32_t argc,
                     const TValue* stackLow) {
  const uint32_t* body;
  TNativeFunction* const native = lookupNative(callee, shape, self, target, argc, stackLow, body);
  if (!native) return false;
  // Ret only counts the arguments down: none of them may be freed by it.
  for (uint32_t i = 1; i <= argc; ++i) {
    const TValue& v = target[-int32_t(i)];
    if (v.kind == vtObject && !(Arena::isObject(v.ref) && objectAt(v.ref)->refCount > 1))
      return false;
  }
  TValue operands[ForwardingShape::kMostPushes];
  bool objects;
  if (!readOperands({self, selfClass, target, argc, body}, shape, operands, objects)) return false;
  TValue result;
  try {
    if (!native->lookup(*target, operands, int32_t(shape.pushes), result)) return false;
  } catch (...) {
    return false;  // nothing changed: the written code says why
  }
  retain(result);
  for (uint32_t i = argc; i >= 1; --i) {
    TValue& v = target[-int32_t(i)];
    if (v.kind == vtObject) --objectAt(v.ref)->refCount;
    v = TValue{};
  }
  --self->refCount;
  *target = result;
  return true;
}

}  // namespace zunka::vm
