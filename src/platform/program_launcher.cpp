#include "platform/program_launcher.h"

#include <signal.h>
#include <spawn.h>

extern char** environ;

namespace zunka::platform {

bool launchProgram(const std::string& hostPath) {
  // The player does not wait for the program; ignoring SIGCHLD lets the host
  // reap it so that no zombie is left behind.
  signal(SIGCHLD, SIG_IGN);
  pid_t pid = 0;
  char* argv[] = {const_cast<char*>(hostPath.c_str()), nullptr};
  return posix_spawn(&pid, hostPath.c_str(), nullptr, nullptr, argv, environ) == 0;
}

}  // namespace zunka::platform
