#pragma once
#include <exception>

#include "vm/errors.h"

namespace zunka {

// A drawing operation the host refused (a lost surface, a bad handle). The screen
// stops drawing until its next paint instead of showing a box every frame.
class EInvalidOperation : public EError {
 public:
  using EError::EError;
};

// The application's last-resort handler, for exceptions that reach the message
// loop outside the frame loop: an invalid operation suspends drawing and goes to
// the console; anything else is shown in a message box.
void reportApplicationException(const std::exception& e);

}  // namespace zunka
