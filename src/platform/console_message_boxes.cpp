#include "platform/console_message_boxes.h"

#include "platform/sjis_text.h"

namespace zunka::platform {

void ConsoleMessageBoxes::show(std::string_view text, std::string_view) {
  out_.writeLine(sjisToUtf8(text));
}

}  // namespace zunka::platform
