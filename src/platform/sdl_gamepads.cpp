#include <SDL.h>

#include "platform/sdl_gamepads.h"

namespace zunka::platform {
namespace {

int32_t axisPosition(Sint16 value) {
  return int32_t(value) + 32768;
}

}  // namespace

SdlGamepads::~SdlGamepads() {
  for (void*& j : opened_)
    if (j) SDL_JoystickClose(static_cast<SDL_Joystick*>(j));
  if (started_) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

bool SdlGamepads::read(int index, JoyReading& reading) {
  if (index < 0 || index > 1) return false;
  if (!started_) {
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return false;
    started_ = true;
  }
  SDL_JoystickUpdate();
  auto*& joystick = reinterpret_cast<SDL_Joystick*&>(opened_[index]);
  // Unplugged since the last read: let it go, and look for one again.
  if (joystick && !SDL_JoystickGetAttached(joystick)) {
    SDL_JoystickClose(joystick);
    joystick = nullptr;
  }
  if (!joystick) {
    if (index >= SDL_NumJoysticks()) return false;
    joystick = SDL_JoystickOpen(index);
    if (!joystick) return false;
  }
  JoyReading r;
  if (SDL_JoystickNumAxes(joystick) >= 2) {
    r.x = axisPosition(SDL_JoystickGetAxis(joystick, 0));
    r.y = axisPosition(SDL_JoystickGetAxis(joystick, 1));
  }
  // A d-pad reported as a hat moves the axes to their ends.
  if (SDL_JoystickNumHats(joystick) > 0) {
    Uint8 hat = SDL_JoystickGetHat(joystick, 0);
    if (hat & SDL_HAT_LEFT) r.x = 0;
    if (hat & SDL_HAT_RIGHT) r.x = 65535;
    if (hat & SDL_HAT_UP) r.y = 0;
    if (hat & SDL_HAT_DOWN) r.y = 65535;
  }
  int buttons = SDL_JoystickNumButtons(joystick);
  for (int b = 0; b < buttons && b < 32; ++b)
    if (SDL_JoystickGetButton(joystick, b)) r.buttons |= 1u << b;
  reading = r;
  return true;
}

}  // namespace zunka::platform
