#pragma once
#include "vm/arena.h"

namespace zunka::vm {

// Finishes an object record: runs its class's destructor in a process of its own,
// releases its members in slot order, and marks the record free.
void DestroyObject(Ref record);

}  // namespace zunka::vm
