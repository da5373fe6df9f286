#pragma once
#include "platform/message_boxes.h"
#include "platform/text_output.h"

namespace zunka::platform {

// Message boxes without a window system: the text goes to standard error (in
// UTF-8) and the box counts as answered with OK.
class ConsoleMessageBoxes : public MessageBoxes {
 public:
  explicit ConsoleMessageBoxes(TextOutput& out) : out_(out) {}
  void show(std::string_view text, std::string_view caption) override;
  bool isConsole() const override { return true; }

 private:
  TextOutput& out_;
};

}  // namespace zunka::platform
