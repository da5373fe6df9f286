#pragma once

namespace zunka {

// Binds the host's natives to the kernel classes by name, class by class in boot
// order, and records what the interpreter keeps for the player (the array body slot).
void bindKernelNatives();
// The page builder behind classes.lang.Boot's generate, bound once the root
// process has been cleared.
void bindBootNatives();

}  // namespace zunka
