#pragma once

namespace zunka::platform {

// Handles the messages that wait, so that windows repaint and close boxes work
// while a long task (boot, a message box in a batch) keeps the loop busy.
class MessagePump {
 public:
  virtual ~MessagePump() = default;
  virtual void pumpMessages() = 0;
};

}  // namespace zunka::platform
