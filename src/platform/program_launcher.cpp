#include "platform/program_launcher.h"

#include <signal.h>
#include <spawn.h>

#include <string>

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

bool openAddress(const std::string& address) {
  if (address.rfind("http://", 0) != 0 && address.rfind("https://", 0) != 0) return false;
  signal(SIGCHLD, SIG_IGN);
  pid_t pid = 0;
  char program[] = "xdg-open";
  char* argv[] = {program, const_cast<char*>(address.c_str()), nullptr};
  return posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) == 0;
}

}  // namespace zunka::platform
