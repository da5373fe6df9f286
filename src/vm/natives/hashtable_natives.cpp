#include "vm/natives/hashtable_natives.h"

#include <vector>

#include "vm/collector.h"
#include "vm/hash_table.h"

namespace zunka::vm {
namespace {

TAbstractHashtable* tableArg(TValue* target, int32_t argc) {
  return argc >= 1 ? hostArg<TAbstractHashtable>(nativeArg(target, 1)) : nullptr;
}

ZUNKA_NATIVE(newPlainTable) {
  setHost(*target, (new TAbstractHashtable(false))->handle());
}
ZUNKA_NATIVE(newLightTable) {
  setHost(*target, (new TAbstractHashtable(true))->handle());
}

ZUNKA_NATIVE(nativeGet) {
  if (argc < 2) return;
  if (TAbstractHashtable* t = tableArg(target, argc)) {
    TValue v = t->get(nativeArg(target, 2));
    assign(*target, &v);
  }
}
// get and size as lookups (NativeLookup): finding an entry changes nothing.
bool lookUpGet(const TValue&, const TValue* args, int32_t argc, TValue& result) {
  TAbstractHashtable* t = argc >= 2 ? hostArg<TAbstractHashtable>(args[0]) : nullptr;
  if (!t) return false;
  result = t->get(args[1]);
  return true;
}
bool lookUpSize(const TValue&, const TValue* args, int32_t argc, TValue& result) {
  TAbstractHashtable* t = argc >= 1 ? hostArg<TAbstractHashtable>(args[0]) : nullptr;
  if (!t) return false;
  result = TValue::ofInt(t->size());
  return true;
}

ZUNKA_NATIVE(nativePut) {
  if (argc < 3) return;
  if (TAbstractHashtable* t = tableArg(target, argc))
    t->put(nativeArg(target, 2), nativeArg(target, 3));
}
ZUNKA_NATIVE(nativeRemove) {
  if (argc < 2) return;
  if (TAbstractHashtable* t = tableArg(target, argc)) {
    TValue taken = t->remove(nativeArg(target, 2));
    TValue old = *target;
    *target = taken;  // the table's reference moves to the result
    release(old);
  }
}
ZUNKA_NATIVE(nativeSize) {
  if (TAbstractHashtable* t = tableArg(target, argc)) setInt(*target, t->size());
}
ZUNKA_NATIVE(nativeStartFind) {
  if (TAbstractHashtable* t = tableArg(target, argc)) t->startFind();
}
ZUNKA_NATIVE(nativeHasNext) {
  if (TAbstractHashtable* t = tableArg(target, argc)) setInt(*target, t->hasNext() ? 1 : 0);
}
ZUNKA_NATIVE(nativeNextKey) {
  if (TAbstractHashtable* t = tableArg(target, argc)) {
    TValue key = t->nextKey();
    assign(*target, &key);
  }
}
ZUNKA_NATIVE(nativeDestroy) {
  delete tableArg(target, argc);
}
// The table's keys and values live outside any member: its class's gc_mark calls
// this so the collector sees them. Marking runs the entries' own gc_mark hooks,
// which may change or destroy this table, so the entries are copied out first.
ZUNKA_NATIVE(nativeGcMark) {
  TAbstractHashtable* t = tableArg(target, argc);
  if (!t) return;
  std::vector<TValue> entries;
  entries.reserve(size_t(t->size()) * 2);
  t->forEachValue([&](const TValue& v) { entries.push_back(v); });
  for (const TValue& v : entries) MarkValue(v);
}

// Plain (TNativeFunction::plain): all but the two that end or mark a table.
constexpr NativeEntry kShared[] = {
    {"_n_get", nativeGet, true, lookUpGet},
    {"_n_put", nativePut, true},
    {"_n_startFind", nativeStartFind, true},
    {"_n_hasNext", nativeHasNext, true},
    {"_n_nextKey", nativeNextKey, true},
    {"_n_remove", nativeRemove, true},
    {"_n_size", nativeSize, true, lookUpSize},
    {"_n_destroy", nativeDestroy},
    {"_n_gcMark", nativeGcMark},
};
constexpr NativeEntry kPlain[] = {{"_n_init", newPlainTable}};
constexpr NativeEntry kLight[] = {{"_n_init", newLightTable}};

}  // namespace

std::span<const NativeEntry> hashTableNatives() {
  return kShared;
}
std::span<const NativeEntry> plainHashTableNatives() {
  return kPlain;
}
std::span<const NativeEntry> lightHashTableNatives() {
  return kLight;
}

}  // namespace zunka::vm
