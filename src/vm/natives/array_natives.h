#pragma once
#include <span>

#include "vm/natives/native_support.h"

namespace zunka::vm {

// Natives of the array class. Each takes the array's body (a host list) as its
// first argument; a body that is not a live list makes the call do nothing.
std::span<const NativeEntry> arrayNatives();

}  // namespace zunka::vm
