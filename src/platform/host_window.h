#pragma once
#include <cstdint>
#include <string_view>

#include "platform/activation.h"

namespace zunka::platform {

// The player's window as start-up sees it: a client area filled white until a
// page draws, and the loading bar along its bottom edge.
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
};

}  // namespace zunka::platform
