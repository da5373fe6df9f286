#pragma once
#include <cstdint>

#include "vm/value.h"

namespace zunka::vm {

// Frees the host bodies an object's members name: string bodies, array lists,
// hash tables and processes, the four the kernel's String, Array, hash-table and
// Process classes make and their destructors free. Used when a destructor could
// not come to its end (it failed, or could not start at the nesting limit), so
// that what the record owns is not lost with it. A body another object also
// named goes all the same, as it would with the destructor: the other's handle
// then finds nothing, which every native copes with.
void FreeHostBodies(TValue* members, int32_t count);

}  // namespace zunka::vm
