#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/activation.h"
#include "platform/image_file.h"

namespace zunka::platform {

// The player's window as the player sees it: a client area of a size in pixels
// (shown enlarged by a whole scale factor, or letter-boxed on the full screen),
// painted from a picture of that size, at a position on the desktop.
class HostWindow : public Activation {
 public:
  virtual int32_t clientWidth() const = 0;
  virtual int32_t clientHeight() const = 0;
  virtual void setTitle(std::string_view sjisTitle) = 0;
  // Fills the client area white and shows it.
  virtual void paintBlank() = 0;
  // A bar 4 pixels high along the bottom, `width` pixels from the left edge, in
  // `colour` (00BBGGRR, red in the low byte).
  virtual void showLoadingBar(int32_t width, uint32_t colour) = 0;
  virtual void hideLoadingBar() = 0;

  // Shows `client`, a picture of the client size (or smaller: the rest stays black).
  virtual void present(const Image& client) = 0;
  // Changes the client area's size (the window keeps its scale).
  virtual void setClientSize(int32_t width, int32_t height) = 0;
  virtual void setResizable(bool resizable) = 0;
  virtual void position(int32_t& x, int32_t& y) const = 0;
  virtual void setPosition(int32_t x, int32_t y) = 0;
  // The size of the display the window is on.
  virtual void displaySize(int32_t& width, int32_t& height) const = 0;
  // The whole scale the client area is shown at (1 to 4).
  virtual int32_t scale() const = 0;
  virtual void setScale(int32_t scale) = 0;
  // The letter-boxed full screen, on and off (the scale is kept for later).
  virtual bool fullScreen() const = 0;
  virtual void setFullScreen(bool on) = 0;
  // The mouse cursor, in client pixels.
  virtual void cursorPosition(int32_t& x, int32_t& y) const = 0;
  virtual void moveCursor(int32_t x, int32_t y) = 0;
  virtual void showCursor(bool shown) = 0;
  // Typed text (with an input method's composition) is reported while asked for.
  virtual void takeTextInput(bool on) = 0;
  // The desktop clipboard's text (UTF-8), or "".
  virtual std::string clipboardText() const = 0;
};

}  // namespace zunka::platform
