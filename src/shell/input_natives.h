#pragma once
#include <span>

#include "vm/natives/native_support.h"

namespace zunka {

// getkey of the root class: hold counters per virtual key, sampled at most once per
// key per frame (getkey() with no argument starts a new frame).
std::span<const vm::NativeEntry> keyboardNatives();

// The key counters themselves, for tests and the debug window.
int32_t keyCounter(int code);
void resetKeyboard();

}  // namespace zunka
