#pragma once
// stringBytes (vm/value.h) inline, for the paths that look at strings on every
// step: hash-table probes and comparisons. The class is compared by handle, which
// names the string class exactly when the handle table would give it back.
#include <string_view>

#include "vm/class_object.h"
#include "vm/host_handles.h"
#include "vm/runtime.h"
#include "vm/tfstring.h"

namespace zunka::vm {

// The body held by `o`, a record of the string class `c`; nullptr when it has none.
[[gnu::always_inline]] inline TfString* bodyOfStringRecord(TfObject* o, ClassObject* c) {
  const int32_t slot = c->MemberIndex(symbols::kBody, runtime().bodySlotHint);
  const TValue* body = slot >= 0 ? &o->members()[slot] : nullptr;
  return body && body->kind == vtHost ? hostAs<TfString>(body->ref) : nullptr;
}

// The body of a string object (stringBodyOf, tfstring.h, inline): nullptr for
// any other object and for a string without one.
[[gnu::always_inline]] inline TfString* stringBodyInline(TfObject* o) {
  ClassObject* c = runtime().stringClass;
  if (!o || !c || o->classHandle != c->handle()) return nullptr;
  return bodyOfStringRecord(o, c);
}

// The bytes of a string object, in place (valid until the string changes); false
// for any other value. A string without a body reads as empty.
[[gnu::always_inline]] inline bool stringBytesInline(const TValue& v, std::string_view& bytes) {
  if (v.kind != vtObject || !Arena::isObject(v.ref)) return false;
  TfObject* o = objectAt(v.ref);
  ClassObject* c = runtime().stringClass;
  if (!c || o->classHandle != c->handle()) return false;
  const TfString* s = bodyOfStringRecord(o, c);
  bytes = s ? std::string_view(s->bytes) : std::string_view();
  return true;
}

}  // namespace zunka::vm
