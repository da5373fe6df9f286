#include "platform/process_messages.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace zunka::platform {
namespace {

// The abstract name of a process's port: a leading zero byte, then the text.
socklen_t portAddress(int32_t pid, sockaddr_un& address) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  std::string name = "zunka-midi." + std::to_string(pid);
  std::memcpy(address.sun_path + 1, name.data(), name.size());
  return socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
}

bool waitReadable(int socket, int32_t timeoutMs) {
  pollfd p{socket, POLLIN, 0};
  return poll(&p, 1, timeoutMs) > 0 && (p.revents & POLLIN);
}

}  // namespace

std::optional<int32_t> sendProcessMessage(int32_t pid, const ProcessMessage& message,
                                          int32_t timeoutMs) {
  if (pid <= 0) return std::nullopt;
  int s = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (s < 0) return std::nullopt;
  // An automatically named address of our own, so the answer can come back.
  sa_family_t family = AF_UNIX;
  std::optional<int32_t> answer;
  sockaddr_un to{};
  socklen_t toLength = portAddress(pid, to);
  int32_t words[3] = {int32_t(message.message), message.w, message.l};
  if (bind(s, reinterpret_cast<sockaddr*>(&family), sizeof family) == 0 &&
      sendto(s, words, sizeof words, MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&to), toLength) ==
          ssize_t(sizeof words) &&
      waitReadable(s, timeoutMs)) {
    int32_t value = 0;
    if (recv(s, &value, sizeof value, 0) == ssize_t(sizeof value)) answer = value;
  }
  close(s);
  return answer;
}

MessagePort::MessagePort() {
  socket_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (socket_ < 0) return;
  sockaddr_un address{};
  socklen_t length = portAddress(int32_t(getpid()), address);
  if (bind(socket_, reinterpret_cast<sockaddr*>(&address), length) != 0) {
    close(socket_);
    socket_ = -1;
  }
}

MessagePort::~MessagePort() {
  if (socket_ >= 0) close(socket_);
}

bool MessagePort::receive(ProcessMessage& message, int32_t timeoutMs) {
  if (socket_ < 0 || !waitReadable(socket_, timeoutMs)) return false;
  int32_t words[3] = {};
  socklen_t length = sizeof sender_;
  ssize_t got =
      recvfrom(socket_, words, sizeof words, 0, reinterpret_cast<sockaddr*>(sender_), &length);
  senderLength_ = length;
  if (got != ssize_t(sizeof words)) return false;
  message = {uint32_t(words[0]), words[1], words[2]};
  return true;
}

void MessagePort::reply(int32_t answer) {
  if (socket_ < 0 || senderLength_ == 0) return;
  // A sender that gave up waiting has closed its socket: the answer is dropped,
  // and must not raise SIGPIPE, which would end this process.
  sendto(socket_, &answer, sizeof answer, MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(sender_),
         socklen_t(senderLength_));
}

}  // namespace zunka::platform
