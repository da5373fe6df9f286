#pragma once
#include <functional>

namespace zunka::platform {

// Whether the key with the given virtual-key code (the Windows numbering that
// scripts pass: 0x25 left arrow, 0x41 'A', 0x20 space, ...) is down now. Keys the
// host has no equivalent for, and every key while no window is open, read as up.
bool virtualKeyDown(int code);

// Replaces the host's keyboard (for tests and recorded input); nullptr restores it.
void setKeyboardOverride(std::function<bool(int)> keyDown);

}  // namespace zunka::platform
