#include "platform/keyboard.h"

#include <SDL.h>

namespace zunka::platform {
namespace {

std::function<bool(int)>& keyboardOverride() {
  static std::function<bool(int)> keyDown;
  return keyDown;
}

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

bool virtualKeyDown(int code) {
  if (auto& keyDown = keyboardOverride()) return keyDown(code);
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
  SDL_Scancode sc = scancodeOf(code);
  if (sc == SDL_SCANCODE_UNKNOWN) return false;
  int count = 0;
  const Uint8* state = SDL_GetKeyboardState(&count);
  // Shift, Control and Alt as generic keys answer for either side.
  if (code >= 0x10 && code <= 0x12) {
    SDL_Scancode right = code == 0x10   ? SDL_SCANCODE_RSHIFT
                         : code == 0x11 ? SDL_SCANCODE_RCTRL
                                        : SDL_SCANCODE_RALT;
    return (sc < count && state[sc]) || (right < count && state[right]);
  }
  return sc < count && state[sc];
}

void setKeyboardOverride(std::function<bool(int)> keyDown) {
  keyboardOverride() = std::move(keyDown);
}

}  // namespace zunka::platform
