#pragma once
#include <SDL.h>

#include "platform/message_boxes.h"
#include "platform/text_output.h"

namespace zunka::platform {

// Message boxes through SDL, owned by the player's window. When SDL cannot show
// one (no window system after all), the text goes to `fallback` instead.
class SdlMessageBoxes : public MessageBoxes {
 public:
  SdlMessageBoxes(SDL_Window* owner, TextOutput& fallback) : owner_(owner), fallback_(fallback) {}
  void show(std::string_view text, std::string_view caption) override;
  bool isConsole() const override { return false; }

 private:
  SDL_Window* owner_;
  TextOutput& fallback_;
};

}  // namespace zunka::platform
