#include "vm/natives/native_support.h"

#include "resources/rtti.h"

namespace zunka::vm {

void bindNatives(TRTTI* cls, std::span<const NativeEntry> table) {
  if (!cls) return;
  for (const NativeEntry& e : table) cls->RegisterNative(e.name, e.handler);
}

}  // namespace zunka::vm
