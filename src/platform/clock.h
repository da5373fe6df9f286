#pragma once
#include <cstdint>

namespace zunka::platform {

// Milliseconds since the host started (wraps like a 32-bit tick counter).
uint32_t tickCount();

// High-resolution monotonic time in milliseconds, for frame pacing and profiling.
double preciseMilliseconds();

void sleepMilliseconds(uint32_t ms);

}  // namespace zunka::platform
