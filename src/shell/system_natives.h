#pragma once
#include <span>

#include "vm/natives/native_support.h"

namespace zunka {

// Natives of the script class System: leaving the player, the version, the frame
// rate, and opening the development environment.
std::span<const vm::NativeEntry> systemNatives();

// The development environment's executable, looked for in baseDir.
inline constexpr const char* kIdeExecutable = "Zunka.exe";

}  // namespace zunka
