#include "vm/natives/native_support.h"

#include "vm/class_object.h"

namespace zunka::vm {

void bindNatives(ClassObject* cls, std::span<const NativeEntry> table) {
  if (!cls) return;
  for (const NativeEntry& e : table) cls->RegisterNative(e.name, e.handler, e.plain, e.lookup);
}

}  // namespace zunka::vm
