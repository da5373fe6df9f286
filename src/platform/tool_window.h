#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/image_file.h"
#include "platform/input_event.h"

namespace zunka::platform {

// A second window beside the player's, for the player's own tools (the debug
// window): a resizable client area shown one to one from a picture the tool
// draws itself. What the user does in it goes to its own input sink, never to
// the game's: Close when its close box is pressed (the tool decides whether to
// hide), Resized with the new client size, keys (repeats included), mouse,
// wheel and typed text.
class ToolWindow {
 public:
  virtual ~ToolWindow() = default;
  virtual void setTitle(std::string_view sjisTitle) = 0;
  // Shows the window and gives it the keyboard; hides it.
  virtual void show() = 0;
  virtual void hide() = 0;
  virtual bool visible() const = 0;
  virtual int32_t clientWidth() const = 0;
  virtual int32_t clientHeight() const = 0;
  // Shows `client` at the top-left of the client area.
  virtual void present(const Image& client) = 0;
  virtual void setInputSink(InputSink* sink) = 0;
  // Typed text is reported while asked for.
  virtual void takeTextInput(bool on) = 0;
  // The desktop clipboard's text (UTF-8), or "".
  virtual std::string clipboardText() const = 0;
  // How many pixels the display has per 96 dots per inch, rounded (at least 1):
  // what the tool scales its text and controls by.
  virtual int32_t pixelScale() const = 0;
};

}  // namespace zunka::platform
