#pragma once
#include <string>

#include "shell/boot_sequence.h"
#include "shell/host_state.h"

namespace zunka {

// The first paint of the screen window: system initialisation, the boot sequence
// and the first page, with the booting and booted flags around them.
class StartUp {
 public:
  StartUp(HostState& state, BootSequence& boot) : state_(state), boot_(boot) {}

  // `baseDirectory` is the host directory the system lives in; `commandFile` the
  // page or project named on the command line (host path, may be empty). A file
  // that does not exist is dropped silently. An exception from a boot step is
  // reported by the application handler; booting then stays true.
  void firstPaint(const std::string& baseDirectory, const std::string& commandFile);

 private:
  void initialiseSystem(const std::string& baseDirectory, const std::string& commandFile);
  void run(const std::string& baseDirectory, const std::string& commandFile);

  HostState& state_;
  BootSequence& boot_;
};

}  // namespace zunka
