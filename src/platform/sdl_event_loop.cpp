#include "platform/sdl_event_loop.h"

#include <algorithm>

#include "platform/keyboard.h"
#include "platform/sdl_tool_window.h"

namespace zunka::platform {
namespace {

// Short enough for a 100 ms timer to stay on time, long enough to leave the
// processor alone while nothing runs.
constexpr int kIdleWaitMilliseconds = 10;

// A stick pushed past half way presses its direction; back inside a third of the
// way it lets go (the gap keeps a wobbling stick from repeating presses).
constexpr Sint16 kStickPress = 16384;
constexpr Sint16 kStickRelease = 10923;

int padButtonOf(Uint8 button) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_A:
      return kPadA;
    case SDL_CONTROLLER_BUTTON_B:
      return kPadB;
    case SDL_CONTROLLER_BUTTON_X:
      return kPadX;
    case SDL_CONTROLLER_BUTTON_Y:
      return kPadY;
    case SDL_CONTROLLER_BUTTON_START:
      return kPadStart;
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
      return kPadUp;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
      return kPadDown;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
      return kPadLeft;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
      return kPadRight;
    default:
      return -1;
  }
}

// The window an event happened in; 0 for events of no window.
Uint32 windowIdOf(const SDL_Event& event) {
  switch (event.type) {
    case SDL_WINDOWEVENT:
      return event.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      return event.key.windowID;
    case SDL_MOUSEMOTION:
      return event.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      return event.button.windowID;
    case SDL_MOUSEWHEEL:
      return event.wheel.windowID;
    case SDL_TEXTINPUT:
      return event.text.windowID;
    case SDL_TEXTEDITING:
      return event.edit.windowID;
    default:
      return 0;
  }
}

void modifiersOf(Uint16 mod, InputEvent& e) {
  e.alt = (mod & KMOD_ALT) != 0;
  e.ctrl = (mod & KMOD_CTRL) != 0;
  e.shift = (mod & KMOD_SHIFT) != 0;
}

}  // namespace

void SdlEventLoop::removeToolWindow(SdlToolWindow* window) {
  tools_.erase(std::remove(tools_.begin(), tools_.end(), window), tools_.end());
}

SdlToolWindow* SdlEventLoop::toolWindowOf(const SDL_Event& event) const {
  Uint32 id = windowIdOf(event);
  if (id == 0) return nullptr;
  for (SdlToolWindow* tool : tools_)
    if (tool->id() == id) return tool;
  return nullptr;
}

// A tool window hears of everything done in it, key repeats and the wheel
// included; closing it is its own business, not the player's.
void SdlEventLoop::handleToolEvent(SdlToolWindow& tool, const SDL_Event& event) {
  InputEvent e;
  switch (event.type) {
    case SDL_WINDOWEVENT:
      switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          e.kind = InputEvent::Kind::Close;
          break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          e.kind = InputEvent::Kind::Resized;
          e.x = event.window.data1, e.y = event.window.data2;
          break;
        case SDL_WINDOWEVENT_EXPOSED:
          e.kind = InputEvent::Kind::Exposed;
          break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_FOCUS_LOST:
          e.kind = InputEvent::Kind::Focus;
          e.down = event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED;
          break;
        default:
          return;
      }
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      e.vk = virtualKeyOf(event.key.keysym.scancode);
      if (e.vk == 0) return;
      e.down = event.type == SDL_KEYDOWN;
      e.repeat = event.key.repeat != 0;
      modifiersOf(event.key.keysym.mod, e);
      break;
    case SDL_MOUSEMOTION:
      e.kind = InputEvent::Kind::MouseMove;
      e.x = event.motion.x, e.y = event.motion.y;
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (event.button.button != SDL_BUTTON_LEFT && event.button.button != SDL_BUTTON_RIGHT) return;
      e.kind = event.type == SDL_MOUSEBUTTONDOWN ? InputEvent::Kind::MouseDown
                                                 : InputEvent::Kind::MouseUp;
      e.right = event.button.button == SDL_BUTTON_RIGHT;
      e.x = event.button.x, e.y = event.button.y;
      break;
    case SDL_MOUSEWHEEL:
      e.kind = InputEvent::Kind::Wheel;
      e.y = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
      break;
    case SDL_TEXTINPUT:
      e.kind = InputEvent::Kind::Text;
      e.text = event.text.text;
      break;
    case SDL_TEXTEDITING:
      e.kind = InputEvent::Kind::Composing;
      e.text = event.edit.text;
      break;
    default:
      return;
  }
  tool.deliver(e);
}

SdlEventLoop::~SdlEventLoop() {
  if (controller_) SDL_GameControllerClose(controller_);
}

void SdlEventLoop::run(const IdleHandler& handler) {
  while (!quit_) {
    pumpMessages();
    if (quit_) break;
    bool done = false;
    handler(done);
    if (done && !quit_) SDL_WaitEventTimeout(nullptr, kIdleWaitMilliseconds);
  }
}

void SdlEventLoop::pumpMessages() {
  SDL_Event event;
  while (SDL_PollEvent(&event)) handle(event);
}

void SdlEventLoop::send(const InputEvent& event) {
  if (sink_) sink_->deliver(event);
}

void SdlEventLoop::handle(const SDL_Event& event) {
  if (SdlToolWindow* tool = toolWindowOf(event)) return handleToolEvent(*tool, event);
  InputEvent e;
  switch (event.type) {
    case SDL_QUIT:
      e.kind = InputEvent::Kind::Close;
      if (sink_) return send(e);
      quit_ = true;
      return;
    case SDL_WINDOWEVENT:
      return handleWindowEvent(event.window);
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      if (event.key.repeat) return;  // held keys are counted by frames, not by repeats
      e.vk = virtualKeyOf(event.key.keysym.scancode);
      if (e.vk == 0) return;
      e.down = event.type == SDL_KEYDOWN;
      modifiersOf(event.key.keysym.mod, e);
      return send(e);
    }
    case SDL_MOUSEMOTION:
      e.kind = InputEvent::Kind::MouseMove;
      e.x = event.motion.x, e.y = event.motion.y;
      return send(e);
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (event.button.button != SDL_BUTTON_LEFT && event.button.button != SDL_BUTTON_RIGHT) return;
      e.kind = event.type == SDL_MOUSEBUTTONDOWN ? InputEvent::Kind::MouseDown
                                                 : InputEvent::Kind::MouseUp;
      e.right = event.button.button == SDL_BUTTON_RIGHT;
      e.x = event.button.x, e.y = event.button.y;
      return send(e);
    case SDL_TEXTINPUT:
      e.kind = InputEvent::Kind::Text;
      e.text = event.text.text;
      return send(e);
    case SDL_TEXTEDITING:
      e.kind = InputEvent::Kind::Composing;
      e.text = event.edit.text;
      return send(e);
    default:
      return handleController(event);
  }
}

void SdlEventLoop::handleWindowEvent(const SDL_WindowEvent& event) {
  InputEvent e;
  switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
      e.kind = InputEvent::Kind::Close;
      if (sink_) return send(e);
      quit_ = true;
      return;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
    case SDL_WINDOWEVENT_FOCUS_LOST:
      window_.setActive(event.event == SDL_WINDOWEVENT_FOCUS_GAINED);
      e.kind = InputEvent::Kind::Focus;
      e.down = event.event == SDL_WINDOWEVENT_FOCUS_GAINED;
      return send(e);
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      if (window_.resizedByUser(event.data1, event.data2, e.x, e.y)) {
        e.kind = InputEvent::Kind::Resized;
        send(e);
      }
      window_.paint();
      return;
    case SDL_WINDOWEVENT_MOVED:
      e.kind = InputEvent::Kind::Moved;
      e.x = event.data1, e.y = event.data2;
      return send(e);
    case SDL_WINDOWEVENT_EXPOSED:
      window_.paint();
      e.kind = InputEvent::Kind::Exposed;
      return send(e);
    default:
      return;
  }
}

// The first game controller plugged in also plays the keyboard's part.
void SdlEventLoop::handleController(const SDL_Event& event) {
  switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED:
      if (!controller_) controller_ = SDL_GameControllerOpen(event.cdevice.which);
      return;
    case SDL_CONTROLLERDEVICEREMOVED:
      if (controller_ && SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller_)) ==
                             event.cdevice.which) {
        SDL_GameControllerClose(controller_);
        controller_ = nullptr;
      }
      return;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
      int button = padButtonOf(event.cbutton.button);
      if (button < 0) return;
      InputEvent e;
      e.kind = InputEvent::Kind::PadButton;
      e.vk = button;
      e.down = event.type == SDL_CONTROLLERBUTTONDOWN;
      return send(e);
    }
    case SDL_CONTROLLERAXISMOTION:
      if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX ||
          event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY)
        stickAsPad(event.caxis.axis, event.caxis.value);
      return;
    default:
      return;
  }
}

void SdlEventLoop::stickAsPad(int axis, Sint16 value) {
  int low = axis == SDL_CONTROLLER_AXIS_LEFTX ? 0 : 2;  // left or up
  int buttons[4] = {kPadLeft, kPadRight, kPadUp, kPadDown};
  for (int side = low; side < low + 2; ++side) {
    int along = side == low ? -int(value) : int(value);
    bool held = stickHeld_[side] ? along > kStickRelease : along > kStickPress;
    if (held == stickHeld_[side]) continue;
    stickHeld_[side] = held;
    InputEvent e;
    e.kind = InputEvent::Kind::PadButton;
    e.vk = buttons[side];
    e.down = held;
    send(e);
  }
}

}  // namespace zunka::platform
