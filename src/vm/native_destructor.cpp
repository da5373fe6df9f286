#include "vm/native_destructor.h"

#include <string>

#include "vm/class_object.h"
#include "vm/console.h"
#include "vm/errors.h"
#include "vm/function.h"
#include "vm/host_handles.h"
#include "vm/natives/string_natives.h"
#include "vm/opcodes.h"
#include "vm/runtime.h"
#include "vm/tfstring.h"
#include "vm/value.h"

namespace zunka::vm {
namespace {

// Counts as a nested run, so that bodies freeing bodies (an array holding the
// last reference to another) stay within the same depth as destructor processes.
class NestedScope {
 public:
  NestedScope() { ++runtime().nestedRuns; }
  ~NestedScope() { --runtime().nestedRuns; }
  NestedScope(const NestedScope&) = delete;
  NestedScope& operator=(const NestedScope&) = delete;
};

}  // namespace

std::optional<bool> RunNativeOnlyDestructor(Ref record, const TNormalFunction* d) {
  if (runtime().nestedRuns >= kMaxNestedRuns) return std::nullopt;
  uint32_t slot = 0;
  TNativeFunction* native = NativeOnlyDestructorCall(d, slot);
  if (!native) return std::nullopt;
  TfObject* o = objectAt(record);
  ClassObject* cls = classOfRecord(o);
  if (!cls || !cls->hasMemberSlot(slot)) return std::nullopt;

  // A string's destructor, the one that runs most, without the call: its native
  // only deletes the body it is handed, and handing over a member that is no
  // object, with `this` held meanwhile, changes no count. The arena is left as
  // the call's cells would have left it.
  const TValue member = o->members()[slot];
  if (freesStringBody(native) && member.kind != vtObject) {
    Arena::allocateAndRelease(16);
    if (member.kind == vtHost) delete hostAs<TfString>(member.ref);
    return true;
  }

  // The argument and the call's target slot (holding `this`), in the arena like
  // any stack, as the written code would have them.
  Ref cells = Arena::allocate(16);
  TValue* argument = valueAt(cells);
  TValue* target = argument + 1;
  *target = TValue::ofRef(vtObject, record);
  retain(*target);
  assign(*argument, &o->members()[slot]);
  bool finished = true;
  try {
    NestedScope nested;
    native->handler(native, target, 1, 0);
  } catch (const EError& e) {
    LogError(e.message(), {}, true);
    finished = false;
  }
  // The argument, then the result the Pop drops; their releases may not fail the
  // destructor's caller either.
  for (TValue* v : {argument, target}) {
    TValue value = *v;
    *v = TValue{};
    if (value.kind == vtObject) releaseQuietly(value);
  }
  Arena::release(cells, 16);
  return finished;
}

int32_t SilentFinishingSlots(ClassObject* cls) {
  uint32_t slot = 0;
  if (!cls || !freesStringBody(NativeOnlyDestructorCall(cls->Destructor(), slot))) return -1;
  const int32_t slots = cls->memberSlots();
  return int64_t(slot) < slots ? slots : -1;
}

bool FinishingIsSilent(Ref record, int32_t silentSlots) {
  if (silentSlots < 0) return false;
  const TValue* members = objectAt(record)->members();
  for (int32_t i = 0; i < silentSlots; ++i)
    if (members[i].kind == vtObject) return false;
  return true;
}

bool FinishingIsSilent(Ref record) {
  return FinishingIsSilent(record, SilentFinishingSlots(classOfRecord(objectAt(record))));
}

}  // namespace zunka::vm
