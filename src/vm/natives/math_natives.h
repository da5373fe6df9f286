#pragma once
#include <cstdint>
#include <span>

#include "vm/natives/native_support.h"

namespace zunka::vm {

// Numeric natives every class inherits from the root class: trigonometry by whole
// degree, the random generator, truncation, time and text-to-number.
std::span<const NativeEntry> mathNatives();

// The player's random generator (30-bit state, kept in the machine), shared with
// the page hash.
namespace random {
void seed(int32_t seed);
uint32_t next();
uint32_t state();
void setState(uint32_t state);
}  // namespace random

// The direction of (x, y) in degrees by the octant approximation scripts expect.
double octantAngle(double x, double y);

}  // namespace zunka::vm
