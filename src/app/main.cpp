#include <cstdio>
#include <cstring>

#include "vm/version.h"

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("zunka %s\n", zunka::kVersionText);
    return 0;
  }
  std::printf("zunka %s\n", zunka::kVersionText);
  return 0;
}
