#pragma once

namespace zunka::platform {

// The virtual-key code (the Windows numbering that scripts pass: 0x25 left arrow,
// 0x41 'A', 0x20 space, 0xA0 left Shift, ...) of an SDL scan code; 0 for keys
// that have none.
int virtualKeyOf(int scancode);

}  // namespace zunka::platform
