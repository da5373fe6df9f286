#pragma once

namespace zunka {

// Registers the natives of Window, MouseManager and JoyStick.
void RegisterWindowNatives();

}  // namespace zunka
