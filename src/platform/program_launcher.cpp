#include "platform/program_launcher.h"

#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <string>
#include <vector>

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

int32_t spawnProgram(const std::string& hostPath, const std::vector<std::string>& args) {
  signal(SIGCHLD, SIG_IGN);
  std::vector<char*> argv{const_cast<char*>(hostPath.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, hostPath.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return 0;
  return int32_t(pid);
}

int32_t currentProcessId() {
  return int32_t(getpid());
}

int32_t parentProcessId() {
  return int32_t(getppid());
}

void endWithParent() {
  prctl(PR_SET_PDEATHSIG, SIGTERM);
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
