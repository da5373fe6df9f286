#pragma once
#include <cstdint>
#include <optional>

#include "vm/arena.h"

namespace zunka::vm {

class TNativeFunction;
class TNormalFunction;

// Runs the destructor `d` of the object at `record` without a process of its own
// when all it does is hand one member of `this` to a native and return, as the
// kernel's strings, arrays, tables and processes do to free their host bodies
// (a process for each would cost far more than the native itself). Gives
// nullopt when the destructor has another shape or the run would be nested too
// deep; otherwise whether it came to its end (false: the native failed, which
// was reported).
std::optional<bool> RunNativeOnlyDestructor(Ref record, const TNormalFunction* d);

// For a destructor of that shape, the native it calls and the member slot it
// hands over; nullptr for any other destructor (or none).
TNativeFunction* NativeOnlyDestructorCall(const TNormalFunction* d, uint32_t& slot);

}  // namespace zunka::vm
