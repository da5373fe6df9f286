#include "support/host_tool.h"

#include <sys/wait.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

std::string runHostTool(const std::string& command, std::string_view input) {
  char path[] = "/tmp/zunka_tool_XXXXXX";
  int fd = mkstemp(path);
  if (fd < 0) throw std::runtime_error("cannot create a temporary file");
  bool written = write(fd, input.data(), input.size()) == static_cast<ssize_t>(input.size());
  close(fd);
  std::string output;
  int status = -1;
  if (written) {
    FILE* pipe = popen(("(" + command + ") < " + path).c_str(), "r");
    if (pipe) {
      char buffer[4096];
      size_t n;
      while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
      status = pclose(pipe);
    }
  }
  unlink(path);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error("host tool failed: " + command);
  return output;
}
