#include "vm/tfstring.h"

#include <new>

#include "vm/class_object.h"
#include "vm/errors.h"
#include "vm/host_handles.h"
#include "vm/live_counters.h"
#include "vm/native_destructor.h"
#include "vm/natives/string_natives.h"
#include "vm/runtime.h"
#include "vm/string_bytes.h"

namespace zunka::vm {

namespace {
// The memory of bodies not in use, each block's first word linking to the next.
struct KeptBody {
  KeptBody* next;
};
KeptBody* keptBodies = nullptr;

// Bodies are carved a few dozen at a time: a script that keeps thousands of
// strings makes a body for each without going to the host's allocator each time.
constexpr size_t kBodiesPerSlab = 64;

// The address sanitizer sees every body come and go on its own.
#ifdef ZUNKA_ASAN
constexpr bool kKeepingBodies = false;
#else
constexpr bool kKeepingBodies = true;
#endif
}  // namespace

void* TfString::operator new(size_t bytes) {
  if (!kKeepingBodies || bytes != sizeof(TfString)) return ::operator new(bytes);
  if (!keptBodies) {
    auto* slab = static_cast<char*>(::operator new(bytes* kBodiesPerSlab));
    for (size_t i = kBodiesPerSlab; i-- > 0;) TfString::operator delete(slab + i * bytes, bytes);
  }
  KeptBody* block = keptBodies;
  keptBodies = block->next;
  return block;
}

void TfString::operator delete(void* body, size_t bytes) {
  if (!kKeepingBodies || bytes != sizeof(TfString)) return ::operator delete(body);
  keptBodies = ::new (body) KeptBody{keptBodies};
}

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

// A garbage string record, taken for a new string in place. Its destructor would
// only free the body, and the new string would then make a body of its own: when
// the destructor is exactly that and no other member holds an object, the body
// takes the new bytes instead: the same record and body, under a new handle as a
// new body would have, without a destructor call or an allocation. Anything else
// takes the usual way.
struct StringRecycling {
  std::string_view text;
  ClassObject* cls;
  bool recycled = false;
};

bool recycleString(Ref record, void* context) {
  auto& job = *static_cast<StringRecycling*>(context);
  uint32_t freed = 0;
  if (!freesStringBody(NativeOnlyDestructorCall(job.cls->Destructor(), freed))) return false;
  TfObject* o = objectAt(record);
  TValue* body = bodySlot(o);
  if (!body || uint32_t(body - o->members()) != freed || body->kind != vtHost) return false;
  TfString* s = hostAs<TfString>(body->ref);
  int32_t slots = job.cls->memberSlots();
  TValue* m = o->members();
  for (int32_t i = 0; i < slots; ++i)
    if (m[i].kind == vtObject && &m[i] != body) return false;
  if (!s) return false;
  if (job.text.size() > s->bytes.size()) {
    try {
      Arena::chargeHost(job.text.size() - s->bytes.size());
    } catch (...) {
      job.cls->noteFree(record);  // still garbage: found again by the next new
      throw;
    }
  } else {
    Arena::refundHost(s->bytes.size() - job.text.size());
  }
  s->bytes.assign(job.text);
  // The old string's body is gone as far as scripts can tell.
  s->renewHandle();
  *body = TValue::ofRef(vtHost, s->handle());
  for (int32_t i = 0; i < slots; ++i)
    if (&m[i] != body)
      m[i] =
          TValue::ofRef(vtUnset, i < job.cls->members.count() ? job.cls->members.symbolAt(i) : 0);
  job.recycled = true;
  return true;
}

}  // namespace

TValue newString(std::string_view text) {
  // Strings that double in a loop would otherwise eat all memory before failing.
  if (text.size() > kMaxStringBytes) throw ERuntimeError("文字列が長すぎます");
  ClassObject* c = runtime().stringClass;
  if (!c) throw ERuntimeError("文字列クラスがありません");
  StringRecycling recycling{text, c};
  Ref record = c->NewInstance(recycleString, &recycling);
  if (recycling.recycled) return TValue::ofRef(vtObject, record);
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
  return stringBodyInline(o);
}

TfString* bodyOfString(TfObject* o) {
  TValue* body = bodySlot(o);
  return body && body->kind == vtHost ? hostAs<TfString>(body->ref) : nullptr;
}

bool isString(const TValue& v) {
  TfObject* o = objectOf(v);
  return o && classOf(o) == runtime().stringClass;
}

}  // namespace zunka::vm
