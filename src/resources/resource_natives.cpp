#include "resources/resource_natives.h"

#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "resources/rtti.h"
#include "resources/snippet_service.h"
#include "vm/errors.h"

namespace zunka {

using namespace vm;

namespace {

TResource* findResource(const TValue& path) {
  return resourceTree().root ? resourceTree().root->Find(toText(path)) : nullptr;
}

// The value cell of the global a "$" name names (created when missing), else none.
TValue* globalCell(const TValue& name) {
  std::string text = toText(name);
  if (text.empty() || text[0] != '$') return nullptr;
  return GlobalCell(text);
}

ZUNKA_NATIVE(nativeGetGlobal) {
  if (argc < 1) return;
  TValue* cell = globalCell(nativeArg(target, 1));
  if (!cell) {
    setInt(*target, 0);
    return;
  }
  TValue copy = *cell;
  assign(*target, &copy);
}

ZUNKA_NATIVE(nativeSetGlobal) {
  if (argc < 2) return;
  if (TValue* cell = globalCell(nativeArg(target, 1))) assign(*cell, &nativeArg(target, 2));
}

ZUNKA_NATIVE(nativeNewInstance) {
  if (argc < 1) return;
  auto* cls = dynamic_cast<TRTTI*>(findResource(nativeArg(target, 1)));
  if (!cls) {
    setInt(*target, 0);
    return;
  }
  setObject(*target, cls->NewInstance());
}

ZUNKA_NATIVE(nativeInitResource) {
  if (argc < 1) return;
  TResource* r = findResource(nativeArg(target, 1));
  int32_t ok = 1;
  if (r) {
    try {
      r->Initialize();
    } catch (const EError&) {
      ok = 0;  // the initialisation's error is swallowed: the result tells
    }
  }
  setInt(*target, ok);
}

ZUNKA_NATIVE(nativeGetResource) {
  if (argc < 1) return;
  TResource* r = findResource(nativeArg(target, 1));
  if (!r) {
    setInt(*target, 0);
    return;
  }
  TValue object = r->ScriptObject();
  assign(*target, &object);
}

constexpr NativeEntry kNatives[] = {
    {"getGlobal", nativeGetGlobal},        {"setGlobal", nativeSetGlobal},
    {"_newInstance", nativeNewInstance},   {"_n_initResource", nativeInitResource},
    {"_n_getResource", nativeGetResource},
};

}  // namespace

std::span<const NativeEntry> resourceObjectNatives() {
  return kNatives;
}

}  // namespace zunka
