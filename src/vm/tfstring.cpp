#include "vm/tfstring.h"

#include "vm/class_object.h"
#include "vm/errors.h"
#include "vm/host_handles.h"
#include "vm/live_counters.h"
#include "vm/runtime.h"

namespace zunka::vm {

// The bytes count in the script heap (vm/arena.h): a string past its cap is
// refused before it is kept.
TfString::TfString(std::string text)
    : HostObject(HostKind::String), bytes((Arena::chargeHost(text.size()), std::move(text))) {
  ++liveCounters().tfStrings;
}

TfString::~TfString() {
  Arena::refundHost(bytes.size());
  --liveCounters().tfStrings;
}

namespace {
TValue* bodySlot(TfObject* o) {
  ClassObject* c = runtime().stringClass;
  int32_t slot = c->MemberIndex(symbols::kBody, runtime().bodySlotHint);
  return slot >= 0 ? &o->members()[slot] : nullptr;
}
}  // namespace

TValue newString(std::string_view text) {
  // Strings that double in a loop would otherwise eat all memory before failing.
  if (text.size() > kMaxStringBytes) throw ERuntimeError("文字列が長すぎます");
  ClassObject* c = runtime().stringClass;
  if (!c) throw ERuntimeError("文字列クラスがありません");
  Ref record = c->NewInstance();
  TfObject* o = objectAt(record);
  if (TValue* body = bodySlot(o)) {
    auto* s = new TfString(std::string(text));
    *body = TValue::ofRef(vtHost, s->handle());
  }
  return TValue::ofRef(vtObject, record);
}

void setString(TValue& dst, std::string_view text) {
  TValue s = newString(text);
  retain(s);
  release(dst);
  dst = s;
}

TfString* stringBodyOf(TfObject* o) {
  if (!o || classOf(o) != runtime().stringClass) return nullptr;
  TValue* body = bodySlot(o);
  return body && body->kind == vtHost ? hostAs<TfString>(body->ref) : nullptr;
}

bool isString(const TValue& v) {
  TfObject* o = objectOf(v);
  return o && classOf(o) == runtime().stringClass;
}

}  // namespace zunka::vm
