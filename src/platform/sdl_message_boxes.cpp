#include "platform/sdl_message_boxes.h"

#include <string>

#include "platform/sjis_text.h"

namespace zunka::platform {

void SdlMessageBoxes::show(std::string_view text, std::string_view caption) {
  std::string body = sjisToUtf8(text);
  std::string title = sjisToUtf8(caption);
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, title.c_str(), body.c_str(), owner_) !=
      0)
    fallback_.writeLine(body);
}

}  // namespace zunka::platform
