#include "resources/custom_resource_natives.h"

#include "resources/custom_resource.h"
#include "resources/resource_list.h"
#include "resources/snippet_service.h"
#include "vm/tfstring.h"
#include "vm/value_list.h"

namespace zunka {

using namespace vm;

namespace {

TResource* resourceArg(const TValue& v) {
  return v.kind == vtHost ? TResource::FromHandle(v.ref) : nullptr;
}

// Gives the text of a resource field, or the integer 0 for a bad handle.
template <class Field>
void giveText(TValue* target, int32_t argc, Field field) {
  if (argc < 1) return;
  if (TResource* r = resourceArg(nativeArg(target, 1)))
    setString(*target, field(*r));
  else
    setInt(*target, 0);
}

ZUNKA_NATIVE(nativeGetName) {
  giveText(target, argc, [](TResource& r) { return r.name(); });
}

ZUNKA_NATIVE(nativeGetUrl) {
  giveText(target, argc, [](TResource& r) { return r.src; });
}

ZUNKA_NATIVE(nativeGetFullPath) {
  giveText(target, argc, [](TResource& r) { return r.FullPath(); });
}

// The Array is made by the script side, which owns arrays: the children's handles
// go over in a host list that the new Array takes as its body.
ZUNKA_NATIVE(nativeGetSubRes) {
  if (argc < 1) return;
  auto* list = dynamic_cast<TResourceList*>(resourceArg(nativeArg(target, 1)));
  TValue* one = GlobalCell("$_1");
  TValue* two = GlobalCell("$_2");
  if (!list || !one || !two) {
    setNull(*target);
    return;
  }
  auto* body = new TValueList();
  uint32_t bodyHandle = body->handle();
  for (int i = 0; i < list->count(); ++i)
    body->add(TValue::ofRef(vtHost, list->childAt(i)->handle()));
  setHost(*one, bodyHandle);
  setNull(*two);
  if (RunSnippetChecked("$_2=new Array();$_2._setBody($_1);") != 0) {
    delete hostAs<TValueList>(bodyHandle);  // nobody took it
    setNull(*target);
    return;
  }
  TValue result = *GlobalCell("$_2");
  assign(*target, &result);
}

ZUNKA_NATIVE(nativeGetCustomRes) {
  if (argc < 1) return;
  auto* custom = dynamic_cast<TCustomResource*>(resourceArg(nativeArg(target, 1)));
  // Only an instance the resource already has: asking must not wrap a resource
  // that has none in a new script object.
  TValue instance = custom && custom->instance() ? custom->ScriptObject() : TValue{};
  assign(*target, &instance);
}

ZUNKA_NATIVE(noEffect) {}

constexpr NativeEntry kCustomResourceNatives[] = {
    {"_n_getName", nativeGetName},
    {"_n_getURL", nativeGetUrl},
    {"_n_getFullPath", nativeGetFullPath},
};

constexpr NativeEntry kBuiltInResourceNatives[] = {
    {"_n_getSubRes", nativeGetSubRes}, {"_n_getCustomRes", nativeGetCustomRes},
    {"_n_addSubRes", noEffect},        {"_n_delSubRes", noEffect},
    {"_n_onInit", noEffect},           {"_n_save", noEffect},
};

}  // namespace

std::span<const NativeEntry> customResourceNatives() {
  return kCustomResourceNatives;
}
std::span<const NativeEntry> builtInResourceNatives() {
  return kBuiltInResourceNatives;
}

}  // namespace zunka
