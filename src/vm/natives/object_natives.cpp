#include "vm/natives/object_natives.h"

#include "vm/class_object.h"
#include "vm/collector.h"
#include "vm/console.h"
#include "vm/process.h"
#include "vm/runtime.h"
#include "vm/tfstring.h"

namespace zunka::vm {
namespace {

// The member slots of `this`, or nothing when it is not a live object.
struct Members {
  TfObject* object = nullptr;
  ClassObject* cls = nullptr;
  int32_t count = 0;
  explicit Members(const TValue& self) : object(objectOf(self)), cls(classOf(object)) {
    if (cls) count = cls->memberSlots();
  }
  TValue* at(int32_t i) const {
    return object && i >= 0 && i < count ? &object->members()[i] : nullptr;
  }
};

ZUNKA_NATIVE(nativePrint) {
  if (argc < 1) return;
  LogError(toText(nativeArg(target, 1)), Trace(runtime().current), false);
}
ZUNKA_NATIVE(noEffect) {
  (void)target;
  (void)argc;
}
ZUNKA_NATIVE(nativeSuspend) {
  if (runtime().current) runtime().current->Yield();
}
ZUNKA_NATIVE(nativeCurrentProcess) {
  if (runtime().current) setHost(*target, runtime().current->handle());
}
ZUNKA_NATIVE(nativeGetClassName) {
  if (ClassObject* c = classOf(objectOf(*target))) setString(*target, c->name());
}
ZUNKA_NATIVE(nativeGetParentClassName) {
  if (ClassObject* c = classOf(objectOf(*target)))
    setString(*target, c->parent ? c->parent->name() : "");
}
ZUNKA_NATIVE(nativeClearAllValues) {
  Members m(*target);
  for (int32_t i = 0; i < m.count; ++i) setInt(*m.at(i), 0);
}
ZUNKA_NATIVE(nativeTObject) {
  if (argc >= 1) setHost(*target, uint32_t(toInt(nativeArg(target, 1))));
}
ZUNKA_NATIVE(nativeIs) {
  if (argc < 1) return;
  ClassObject* wanted = hostArg<ClassObject>(nativeArg(target, 1));
  ClassObject* c = classOf(objectOf(*target));
  setInt(*target, c && wanted && c->InheritsFrom(wanted) ? 1 : 0);
}
ZUNKA_NATIVE(nativeGcMark) {
  if (argc >= 1) MarkValue(nativeArg(target, 1));
}
ZUNKA_NATIVE(nativeRefCount) {
  if (argc < 1) return;
  Ref r = Ref(toInt(nativeArg(target, 1)));
  setInt(*target, Arena::isObject(r) ? objectAt(r)->refCount : 0);
}
ZUNKA_NATIVE(nativeObjHandle) {
  if (argc < 1) return;
  const TValue& v = nativeArg(target, 1);
  setInt(*target, objectOf(v) ? int32_t(v.ref) : 0);
}
ZUNKA_NATIVE(nativeBreakExec) {
  runtime().debugStepBudget = 0;
  if (runtime().current) runtime().current->EndSlice();
}
ZUNKA_NATIVE(nativeCurrentFunc) {
  if (!runtime().current) return;
  if (TNormalFunction* f = runtime().current->currentFunction()) setString(*target, f->GetName());
}
ZUNKA_NATIVE(nativeErrorValue) {
  setError(*target, 0);
}
ZUNKA_NATIVE(nativeGetValueByIndex) {
  if (argc < 1) return;
  if (TValue* cell = Members(*target).at(toInt(nativeArg(target, 1)))) {
    TValue copy = *cell;
    assign(*target, &copy);
  }
}
ZUNKA_NATIVE(nativeSetValueByIndex) {
  if (argc < 2) return;
  if (TValue* cell = Members(*target).at(toInt(nativeArg(target, 1))))
    assign(*cell, &nativeArg(target, 2));
}
ZUNKA_NATIVE(nativeGetValueCount) {
  if (ClassObject* c = classOf(objectOf(*target))) setInt(*target, c->members.count());
}
ZUNKA_NATIVE(nativeGetValueName) {
  if (argc < 1) return;
  ClassObject* c = classOf(objectOf(*target));
  int32_t i = toInt(nativeArg(target, 1));
  if (c && i >= 0 && i < c->members.count()) setString(*target, c->members.textAt(i));
}
ZUNKA_NATIVE(nativeGetValueIndex) {
  if (argc < 1) return;
  ClassObject* c = classOf(objectOf(*target));
  if (!c) return;
  int64_t s = symbols::lookup(toText(nativeArg(target, 1)));
  setInt(*target, s < 0 ? -1 : c->members.find(Symbol(s)));
}
ZUNKA_NATIVE(nativeIsInt) {
  if (argc >= 1) setInt(*target, nativeArg(target, 1).kind == vtInt ? 1 : 0);
}
ZUNKA_NATIVE(nativeIsFloat) {
  if (argc >= 1) setInt(*target, nativeArg(target, 1).kind == vtFloat ? 1 : 0);
}

constexpr NativeEntry kObjectNatives[] = {
    {"print", nativePrint},
    {"pset", noEffect},
    {"suspend", nativeSuspend},
    {"currentProcess", nativeCurrentProcess},
    {"_getClassName", nativeGetClassName},
    {"_getParentClassName", nativeGetParentClassName},
    {"_n_clearAllValues", nativeClearAllValues},
    {"TObject", nativeTObject},
    {"native_is", nativeIs},
    {"native_gc_mark", nativeGcMark},
    {"_n_refcount", nativeRefCount},
    {"_n_objhandle", nativeObjHandle},
    {"breakExec", nativeBreakExec},
    {"currentFunc", nativeCurrentFunc},
    {"_n_errorValue", nativeErrorValue},
    {"setMapPat", noEffect},
    {"_inspect", noEffect},
    {"_dynamicInspect", noEffect},
    {"_n_getValueByIndex", nativeGetValueByIndex},
    {"_n_setValueByIndex", nativeSetValueByIndex},
    {"_n_getValueCount", nativeGetValueCount},
    {"_n_getValueName", nativeGetValueName},
    {"_n_getValueIndex", nativeGetValueIndex},
    {"isInt", nativeIsInt},
    {"isFloat", nativeIsFloat},
};

}  // namespace

std::span<const NativeEntry> objectCoreNatives() {
  return kObjectNatives;
}

}  // namespace zunka::vm
