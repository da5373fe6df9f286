#include "platform/command_line.h"

namespace zunka::platform {
namespace {

std::vector<std::string>& arguments() {
  static std::vector<std::string> args;
  return args;
}

}  // namespace

void setCommandLine(int argc, const char* const* argv) {
  arguments().assign(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
}

const std::vector<std::string>& commandLine() {
  return arguments();
}

}  // namespace zunka::platform
