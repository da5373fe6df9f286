#pragma once
#include <cstdint>
#include <optional>

// Synchronous messages between processes of this system: a message number and
// two parameters go to a process named by its id, and one number comes back,
// like a window message sent to another program's window. They travel as
// datagrams over local sockets with abstract names ("zunka-midi.<pid>"), so
// nothing is left in the file system.
namespace zunka::platform {

struct ProcessMessage {
  uint32_t message = 0;
  int32_t w = 0;
  int32_t l = 0;
};

// Sends the message to process `pid` and waits up to `timeoutMs` for its
// answer; nothing when nobody listens for that process or no answer came.
std::optional<int32_t> sendProcessMessage(int32_t pid, const ProcessMessage& message,
                                          int32_t timeoutMs);

// The receiving side, for the current process.
class MessagePort {
 public:
  MessagePort();
  ~MessagePort();
  MessagePort(const MessagePort&) = delete;
  MessagePort& operator=(const MessagePort&) = delete;
  bool listening() const { return socket_ >= 0; }

  // Waits up to `timeoutMs` for a message; true with it.
  bool receive(ProcessMessage& message, int32_t timeoutMs);
  // Answers the message received last.
  void reply(int32_t answer);

 private:
  int socket_ = -1;
  // The sender's address of the last message (a sockaddr_un).
  alignas(8) unsigned char sender_[128] = {};
  unsigned senderLength_ = 0;
};

}  // namespace zunka::platform
