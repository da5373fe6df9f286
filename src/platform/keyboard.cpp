#include "platform/keyboard.h"

#include <SDL.h>

#include <array>
#include <cstdint>

namespace zunka::platform {
namespace {

// The scan code of a virtual-key code, or SDL_SCANCODE_UNKNOWN.
SDL_Scancode scancodeOf(int vk) {
  if (vk >= 'A' && vk <= 'Z') return SDL_Scancode(SDL_SCANCODE_A + (vk - 'A'));
  if (vk >= '1' && vk <= '9') return SDL_Scancode(SDL_SCANCODE_1 + (vk - '1'));
  if (vk == '0') return SDL_SCANCODE_0;
  if (vk >= 0x70 && vk <= 0x7B) return SDL_Scancode(SDL_SCANCODE_F1 + (vk - 0x70));
  if (vk >= 0x61 && vk <= 0x69) return SDL_Scancode(SDL_SCANCODE_KP_1 + (vk - 0x61));
  switch (vk) {
    case 0x08:
      return SDL_SCANCODE_BACKSPACE;
    case 0x09:
      return SDL_SCANCODE_TAB;
    case 0x0D:
      return SDL_SCANCODE_RETURN;
    case 0x10:
      return SDL_SCANCODE_LSHIFT;
    case 0x11:
      return SDL_SCANCODE_LCTRL;
    case 0x12:
      return SDL_SCANCODE_LALT;
    case 0x13:
      return SDL_SCANCODE_PAUSE;
    case 0x1B:
      return SDL_SCANCODE_ESCAPE;
    case 0x20:
      return SDL_SCANCODE_SPACE;
    case 0x21:
      return SDL_SCANCODE_PAGEUP;
    case 0x22:
      return SDL_SCANCODE_PAGEDOWN;
    case 0x23:
      return SDL_SCANCODE_END;
    case 0x24:
      return SDL_SCANCODE_HOME;
    case 0x25:
      return SDL_SCANCODE_LEFT;
    case 0x26:
      return SDL_SCANCODE_UP;
    case 0x27:
      return SDL_SCANCODE_RIGHT;
    case 0x28:
      return SDL_SCANCODE_DOWN;
    case 0x2D:
      return SDL_SCANCODE_INSERT;
    case 0x2E:
      return SDL_SCANCODE_DELETE;
    case 0x60:
      return SDL_SCANCODE_KP_0;
    case 0x6A:
      return SDL_SCANCODE_KP_MULTIPLY;
    case 0x6B:
      return SDL_SCANCODE_KP_PLUS;
    case 0x6D:
      return SDL_SCANCODE_KP_MINUS;
    case 0x6E:
      return SDL_SCANCODE_KP_PERIOD;
    case 0x6F:
      return SDL_SCANCODE_KP_DIVIDE;
    case 0xA0:
      return SDL_SCANCODE_LSHIFT;
    case 0xA1:
      return SDL_SCANCODE_RSHIFT;
    case 0xA2:
      return SDL_SCANCODE_LCTRL;
    case 0xA3:
      return SDL_SCANCODE_RCTRL;
    case 0xA4:
      return SDL_SCANCODE_LALT;
    case 0xA5:
      return SDL_SCANCODE_RALT;
    case 0xC0:
      return SDL_SCANCODE_GRAVE;
    case 0xDE:
      return SDL_SCANCODE_APOSTROPHE;
    case 0xBA:
      return SDL_SCANCODE_SEMICOLON;
    case 0xBB:
      return SDL_SCANCODE_EQUALS;
    case 0xBC:
      return SDL_SCANCODE_COMMA;
    case 0xBD:
      return SDL_SCANCODE_MINUS;
    case 0xBE:
      return SDL_SCANCODE_PERIOD;
    case 0xBF:
      return SDL_SCANCODE_SLASH;
    case 0xDB:
      return SDL_SCANCODE_LEFTBRACKET;
    case 0xDC:
      return SDL_SCANCODE_BACKSLASH;
    case 0xDD:
      return SDL_SCANCODE_RIGHTBRACKET;
    default:
      return SDL_SCANCODE_UNKNOWN;
  }
}

}  // namespace

int virtualKeyOf(int scancode) {
  // The side-specific codes name modifier keys: the generic ones (0x10 to 0x12)
  // follow from them when key states are kept.
  switch (scancode) {
    case SDL_SCANCODE_LSHIFT:
      return 0xA0;
    case SDL_SCANCODE_RSHIFT:
      return 0xA1;
    case SDL_SCANCODE_LCTRL:
      return 0xA2;
    case SDL_SCANCODE_RCTRL:
      return 0xA3;
    case SDL_SCANCODE_LALT:
      return 0xA4;
    case SDL_SCANCODE_RALT:
      return 0xA5;
    case SDL_SCANCODE_KP_ENTER:
      return 0x0D;
    default:
      break;
  }
  static const std::array<uint8_t, SDL_NUM_SCANCODES> table = [] {
    std::array<uint8_t, SDL_NUM_SCANCODES> t{};
    for (int vk = 255; vk > 0; --vk)
      if (SDL_Scancode sc = scancodeOf(vk); sc != SDL_SCANCODE_UNKNOWN) t[size_t(sc)] = uint8_t(vk);
    return t;
  }();
  return scancode >= 0 && scancode < SDL_NUM_SCANCODES ? table[size_t(scancode)] : 0;
}

}  // namespace zunka::platform
