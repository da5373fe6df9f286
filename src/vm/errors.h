#pragma once
#include <exception>
#include <string>
#include <utility>

namespace zunka {

// Errors are exceptions carrying a message. The message is Shift_JIS text, exactly
// as users see it; conversion to UTF-8 happens only at the terminal or window edge.
class EError : public std::exception {
 public:
  explicit EError(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& message() const { return message_; }

 private:
  std::string message_;
};

// A run-time error of the script system: it ends the process that raised it.
class ERuntimeError : public EError {
 public:
  using EError::EError;
};

// A compile error: the message is the class name, ":" and the text.
class ECmpError : public EError {
 public:
  using EError::EError;
};

}  // namespace zunka
