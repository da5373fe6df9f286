#pragma once
// What every native handler uses: its arguments below the target slot, the
// binding tables, and the conversions that turn a host argument into an object of
// the expected family (nothing when the number is stale, forged or of another kind).
#include <cstdint>
#include <span>
#include <string>

#include "vm/function.h"
#include "vm/host_handles.h"
#include "vm/value.h"

namespace zunka::vm {

class ClassObject;

#define ZUNKA_NATIVE(name)                                                                   \
  void name([[maybe_unused]] vm::TNativeFunction* self, [[maybe_unused]] vm::TValue* target, \
            [[maybe_unused]] int32_t argc, uint32_t)

// Argument i (from 1) of a native call.
inline TValue& nativeArg(TValue* target, int i) {
  return target[-i];
}

// The host object of family T that a value refers to, or nullptr.
template <class T>
T* hostArg(const TValue& v) {
  return v.kind == vtHost ? hostAs<T>(v.ref) : nullptr;
}

struct NativeEntry {
  const char* name;
  NativeHandler handler;
  bool plain = false;  // TNativeFunction::plain
  NativeLookup lookup = nullptr;
};

// Binds each entry to the class's native of that name (a message box per name
// the class does not declare). A missing class binds nothing.
void bindNatives(ClassObject* cls, std::span<const NativeEntry> table);

}  // namespace zunka::vm
