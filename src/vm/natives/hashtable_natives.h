#pragma once
#include <span>

#include "vm/natives/native_support.h"

namespace zunka::vm {

// Natives shared by both hash table classes (argument 1 is the table), and the
// constructors of each kind.
std::span<const NativeEntry> hashTableNatives();
std::span<const NativeEntry> plainHashTableNatives();
std::span<const NativeEntry> lightHashTableNatives();

}  // namespace zunka::vm
