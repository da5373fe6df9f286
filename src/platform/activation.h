#pragma once

namespace zunka::platform {

// Whether the player is the application the user is working with (its window has
// the keyboard focus). The frame loop slows down, or pauses, while it is not.
class Activation {
 public:
  virtual ~Activation() = default;
  virtual bool isActive() const = 0;
};

}  // namespace zunka::platform
