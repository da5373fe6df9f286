#pragma once
#include <span>

#include "vm/natives/native_support.h"

namespace zunka::vm {

// Natives of the root class that need nothing beyond the virtual machine: output,
// processes, reflection over members, handles and type tests. Those that reach
// into the resource tree, files, input or drawing are bound by their own parts.
std::span<const NativeEntry> objectCoreNatives();

}  // namespace zunka::vm
