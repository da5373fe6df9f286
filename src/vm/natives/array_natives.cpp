#include "vm/natives/array_natives.h"

#include "vm/value_list.h"

namespace zunka::vm {
namespace {

// toInt, its common case inline: indices are integers.
int32_t indexOf(const TValue& v) {
  return v.kind == vtInt ? v.i : toInt(v);
}

TValueList* bodyArg(TValue* target, int32_t argc) {
  return argc >= 1 ? hostArg<TValueList>(nativeArg(target, 1)) : nullptr;
}

ZUNKA_NATIVE(nativeInit) {
  (void)argc;
  auto* list = new TValueList();
  setHost(*target, list->handle());
}

ZUNKA_NATIVE(nativeAdd) {
  if (argc < 2) return;
  if (TValueList* list = bodyArg(target, argc)) list->add(nativeArg(target, 2));
}

ZUNKA_NATIVE(nativeInsert) {
  if (argc < 3) return;
  if (TValueList* list = bodyArg(target, argc))
    list->insert(indexOf(nativeArg(target, 2)), nativeArg(target, 3));
}

// Get and set are flattened: GCC otherwise leaves the handle lookup out of
// line, a call per element (scripts read and write arrays in their hottest
// loops).
[[gnu::flatten]] ZUNKA_NATIVE(nativeGet) {
  if (argc < 2) return;
  if (TValueList* list = bodyArg(target, argc)) {
    // An index inside the list reads its cell inline; at() raises for the others.
    const int32_t i = indexOf(nativeArg(target, 2));
    TValue* cell = list->cellOrNull(i);
    assign(*target, cell ? cell : &list->at(i));
  }
}

// get and size as lookups (NativeLookup). An index outside the list is left to
// the handler, which raises the list's error.
bool lookUpGet(const TValue&, const TValue* args, int32_t argc, TValue& result) {
  TValueList* list = argc >= 2 ? hostArg<TValueList>(args[0]) : nullptr;
  const TValue* cell = list ? list->cellOrNull(indexOf(args[1])) : nullptr;
  if (!cell) return false;
  result = *cell;
  return true;
}
bool lookUpSize(const TValue&, const TValue* args, int32_t argc, TValue& result) {
  TValueList* list = argc >= 1 ? hostArg<TValueList>(args[0]) : nullptr;
  if (!list) return false;
  result = TValue::ofFloat(float(list->count()));
  return true;
}

[[gnu::flatten]] ZUNKA_NATIVE(nativeSet) {
  if (argc < 3) return;
  if (TValueList* list = bodyArg(target, argc))
    assign(list->at(indexOf(nativeArg(target, 2))), &nativeArg(target, 3));
}

ZUNKA_NATIVE(nativeSize) {
  if (TValueList* list = bodyArg(target, argc)) setFloat(*target, float(list->count()));
}

ZUNKA_NATIVE(nativeFree) {
  // The handle dies with the list: arrays or loops still naming it find nothing.
  delete bodyArg(target, argc);
}

ZUNKA_NATIVE(nativeDelete) {
  if (argc < 2) return;
  if (TValueList* list = bodyArg(target, argc)) {
    TValue taken = list->take(indexOf(nativeArg(target, 2)));
    TValue old = *target;
    *target = taken;  // the reference moves from the cell to the result
    release(old);
  }
}

ZUNKA_NATIVE(nativeIndexOf) {
  if (argc < 2) return;
  if (TValueList* list = bodyArg(target, argc)) {
    const TValue& wanted = nativeArg(target, 2);
    int32_t found = -1;
    for (int32_t i = 0; i < list->count(); ++i) {
      if (compare(list->at(i), wanted) == 0) {
        found = i;
        break;
      }
    }
    setInt(*target, found);
  }
}

ZUNKA_NATIVE(nativeLightIndexOf) {
  if (argc < 2) return;
  if (TValueList* list = bodyArg(target, argc)) {
    const TValue& wanted = nativeArg(target, 2);
    int32_t found = -1;
    for (int32_t i = 0; i < list->count(); ++i) {
      if (list->at(i).sameBits(wanted)) {
        found = i;
        break;
      }
    }
    setInt(*target, found);
  }
}

ZUNKA_NATIVE(nativePack) {
  if (TValueList* list = bodyArg(target, argc)) {
    for (int32_t i = list->count() - 1; i >= 0; --i)
      if (toInt(list->at(i)) == 0) list->removeAndRelease(i);
  }
}

// Plain (TNativeFunction::plain): the element natives, not those making or
// freeing a body.
constexpr NativeEntry kArrayNatives[] = {
    {"native_init", nativeInit},
    {"native_add", nativeAdd, true},
    {"_n_insert", nativeInsert, true},
    {"native_get", nativeGet, true, lookUpGet},
    {"native_set", nativeSet, true},
    {"native_size", nativeSize, true, lookUpSize},
    {"native_free", nativeFree},
    {"native_delete", nativeDelete, true},
    {"native_indexof", nativeIndexOf, true},
    {"native_lightindexof", nativeLightIndexOf, true},
    {"_n_pack", nativePack, true},
};

}  // namespace

std::span<const NativeEntry> arrayNatives() {
  return kArrayNatives;
}

}  // namespace zunka::vm
