#pragma once
#include <string>

namespace zunka::app {

// The system directory the player runs on: the kernel library (kernel/), the
// bundled project (Usr/) and, when it can be written, the caches (Temp/).
struct SystemDirectory {
  std::string path;        // host path
  bool installed = false;  // found as an installed tree: never written
};

// --base DIR when given; else the executable's own directory when it holds the
// kernel library (the build tree: build/zunka beside build/kernel), else
// ../share/zunka beside it when that does (the installed tree: bin/zunka and
// share/zunka/kernel); else the executable's directory, which then lacks it.
SystemDirectory locateSystemDirectory(const std::string& baseOption,
                                      const std::string& executableDirectory);

// Whether `directory` (host path) holds kernel/resource.zunkares.
bool holdsKernel(const std::string& directory);

// What to say when the system directory has no kernel library: where the player
// looked and what to do about it.
std::string missingKernelMessage(const std::string& baseOption,
                                 const std::string& executableDirectory);

}  // namespace zunka::app
