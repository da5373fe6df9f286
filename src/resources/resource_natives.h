#pragma once
#include <span>

#include "vm/natives/native_support.h"

namespace zunka {

// Natives of the root class that reach into the resource tree: globals by name,
// instances of classes by path, resources as script objects.
std::span<const vm::NativeEntry> resourceObjectNatives();

}  // namespace zunka
