#pragma once
#include <span>

#include "vm/natives/native_support.h"

namespace zunka::vm {

// Natives of the process class: scripts create and schedule their own processes.
std::span<const NativeEntry> processNatives();

}  // namespace zunka::vm
