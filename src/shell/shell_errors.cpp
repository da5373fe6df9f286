#include "shell/shell_errors.h"

#include "shell/host_state.h"
#include "vm/console.h"

namespace zunka {

void reportApplicationException(const std::exception& e) {
  if (dynamic_cast<const EInvalidOperation*>(&e)) {
    hostState().drawingSuspended = true;
    Log(e.what());
    return;
  }
  LogError(e.what(), {}, true);
}

}  // namespace zunka
