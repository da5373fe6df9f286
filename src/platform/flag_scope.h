#pragma once

namespace zunka::platform {

// Sets a flag for as long as the scope lasts, and puts back what it was however
// the scope is left (a scope inside another one leaves the outer one as it found
// it).
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = was_; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
  bool was_;
};

}  // namespace zunka::platform
