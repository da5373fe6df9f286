#include "vm/collector.h"

#include "vm/host_handles.h"

#include "vm/class_object.h"
#include "vm/console.h"
#include "vm/errors.h"
#include "vm/host_bodies.h"
#include "vm/live_counters.h"
#include "vm/native_destructor.h"
#include "vm/process.h"
#include "vm/runtime.h"
#include "vm/waiting_destructors.h"

namespace zunka::vm {
namespace {

CollectorState& state() {
  return machine().collector;
}

// Runs a hook (gc_mark, destructor) of an object to completion in a process of its
// own. Errors inside end that process with its own report; one that stops the
// process from being made at all is reported here, and the caller goes on. True
// when the hook came to its end.
bool runHook(Ref record, std::string_view method) {
  try {
    return RunToCompletion(TValue::ofRef(vtObject, record), method);
  } catch (const EError& e) {
    LogError(e.message(), {}, true);
    return false;
  }
}

int32_t slotCount(const ClassObject* cls) {
  return cls ? cls->memberSlots() : 0;
}

void visitObject(Ref record) {
  ClassObject* cls = classOf(objectAt(record));
  TFunction* hook = cls ? cls->FindMethodBySymbol(symbols::kGcMark) : nullptr;
  if (hook && !hook->isNative()) runHook(record, symbols::text(symbols::kGcMark));
  // Slot by slot from the record: the hook may have changed the members.
  for (int32_t i = 0; i < slotCount(cls); ++i) MarkValue(objectAt(record)->members()[i]);
}

void markTreeAndStack() {
  if (runtime().collectorRoots) runtime().collectorRoots->MarkRoots();
  if (TProcess* root = hostAs<TProcess>(runtime().rootProcess)) root->MarkStack();
  MarkWaitingRecords();
}

void sweepTree() {
  if (runtime().collectorRoots) runtime().collectorRoots->SweepRoots();
}

}  // namespace

bool CollectorChecking() {
  return state().checking;
}

const std::vector<std::string>& CollectorReport() {
  return state().report;
}

int64_t CollectorDestroyed() {
  return state().destroyed;
}

void Collect() {
  if (!hostAs<TProcess>(runtime().rootProcess)) return;
  state().report.clear();
  state().destroyed = 0;
  state().checking = true;
  markTreeAndStack();
  sweepTree();
  state().checking = false;
  markTreeAndStack();
  sweepTree();
}

void MarkValue(const TValue& v) {
  TfObject* o = objectOf(v);
  if (o && o->refCount >= 0) MarkObject(v.ref);  // a free record is nobody's object
}

void MarkObject(Ref record) {
  TfObject* o = objectAt(record);
  if (o->mark > 0) {
    ++o->mark;
    return;
  }
  o->mark = 1;
  state().pending.push_back(record);
  if (state().draining) return;
  state().draining = true;
  while (!state().pending.empty()) {
    Ref next = state().pending.back();
    state().pending.pop_back();
    visitObject(next);
  }
  state().draining = false;
}

void SweepObject(Ref record) {
  TfObject* o = objectAt(record);
  if (state().checking) {
    if (o->refCount < o->mark - 1) {
      ClassObject* cls = classOf(o);
      state().report.push_back((cls ? cls->DisplayName() : std::string("?")) +
                               ":r=" + std::to_string(o->mark - 1) +
                               ",f=" + std::to_string(o->refCount) + "," + std::to_string(record));
    }
  } else if (o->mark == 0) {
    ++state().destroyed;
    DestroyObject(record, true);
    o = objectAt(record);
  }
  o->mark = 0;
}

void DestroyObject(Ref record, bool mayWait) {
  TfObject* o = objectAt(record);
  ClassObject* cls = classOfRecord(o);
  bool garbage = o->refCount == 0;
  bool finished = true;
  if (TNormalFunction* d = cls ? cls->Destructor() : nullptr) {
    std::optional<bool> quick = RunNativeOnlyDestructor(record, d);
    if (!quick && mayWait && garbage && DestructorMustWait()) {
      WaitForDestructor(record);
      return;
    }
    finished = quick ? *quick : runHook(record, "destructor");
  }
  o = objectAt(record);
  // A destructor that stored `this` somewhere brought garbage back: it stays as it
  // is, and goes when it is garbage again, never reused while referenced. (Records
  // finalised while still referenced, at tear-down, go regardless.)
  if (garbage && o->refCount > 0) return;
  int32_t slots = slotCount(cls);
  // A destructor that did not come to its end still lets go of what it was to free.
  if (!finished) FreeHostBodies(o->members(), slots);
  for (int32_t i = 0; i < slots; ++i) {
    TValue v = o->members()[i];
    o->members()[i] = TValue{};
    // A reference to a record that is already free (its object was finalised
    // earlier in the same tear-down) has nothing left to release.
    if (v.kind == vtObject && Arena::isObject(v.ref) && objectAt(v.ref)->refCount < 0) continue;
    try {
      release(v);
    } catch (const EError&) {
      Log("Decref failed at " + cls->name() + "." +
          (i < cls->members.count() ? cls->members.textAt(i) : std::to_string(i)));
      break;
    }
  }
  o->refCount = -1;
  --liveCounters().objects;
  if (cls) cls->noteFree(record);
}

std::string Statistics() {
  const LiveCounters& c = liveCounters();
  return "// GC=" + std::to_string(Arena::liveBlocks()) + " gar=" + std::to_string(c.lexElems) +
         " resgar=" + std::to_string(c.resultLists) + " stk=" + std::to_string(c.stacks) +
         " prc=" + std::to_string(c.processes) + "list=" + std::to_string(c.arrayCells) + "/" +
         std::to_string(c.valueCells) + "// tfstr=" + std::to_string(c.tfStrings) +
         " func=" + std::to_string(c.functions);
}

}  // namespace zunka::vm
