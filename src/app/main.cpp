#include <cstdio>
#include <cstring>

#include "app/check_command.h"
#include "app/self_check.h"
#include "vm/version.h"

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("zunka %s\n", zunka::kVersionText);
    return 0;
  }
  if (argc > 1 && std::strcmp(argv[1], "--check") == 0)
    return zunka::app::runCheckCommand(argc - 2, argv + 2);
  std::printf("zunka %s\n", zunka::kVersionText);
  return zunka::app::runSelfCheck();
}
