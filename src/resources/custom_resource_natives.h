#pragma once
#include <span>

#include "vm/natives/native_support.h"

namespace zunka {

// classes.customres.CustomResource: a resource's name, src and full path, by
// handle (0 for anything that is not a resource handle).
std::span<const vm::NativeEntry> customResourceNatives();
// BuiltInResource: a list's children as an Array of handles, a custom
// resource's instance; adding, deleting, initialising and saving do nothing.
std::span<const vm::NativeEntry> builtInResourceNatives();

}  // namespace zunka
