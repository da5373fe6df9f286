#include "app/system_directory.h"

#include "platform/files.h"
#include "platform/host_path.h"

namespace zunka::app {
namespace {

constexpr const char* kKernelFile = "/kernel/resource.zunkares";
constexpr const char* kInstalledFromBin = "/../share/zunka";

std::string withoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// The installed tree's share/zunka, written without "..".
std::string installedDirectory(const std::string& executableDirectory) {
  std::string share = withoutTrailingSlash(executableDirectory) + kInstalledFromBin;
  return withoutTrailingSlash(platform::absoluteHostPath(share).value_or(share));
}

}  // namespace

bool holdsKernel(const std::string& directory) {
  // Games written on case-insensitive hosts may spell it Kernel\Resource.zunkares.
  return platform::fileExists(platform::systemPath(withoutTrailingSlash(directory) + kKernelFile));
}

SystemDirectory locateSystemDirectory(const std::string& baseOption,
                                      const std::string& executableDirectory) {
  if (!baseOption.empty()) return {baseOption, false};
  if (holdsKernel(executableDirectory)) return {executableDirectory, false};
  std::string installed = installedDirectory(executableDirectory);
  if (holdsKernel(installed)) return {installed, true};
  return {executableDirectory, false};
}

std::string missingKernelMessage(const std::string& baseOption,
                                 const std::string& executableDirectory) {
  if (!baseOption.empty())
    return "no kernel library in " + baseOption + " (" + withoutTrailingSlash(baseOption) +
           kKernelFile +
           " is missing); --base must name the folder that holds kernel/, or leave it out";
  return "cannot find the kernel library: neither " + withoutTrailingSlash(executableDirectory) +
         kKernelFile + " nor " + installedDirectory(executableDirectory) + kKernelFile +
         " exists; reinstall zunka, or name the folder that holds kernel/ with --base DIR";
}

}  // namespace zunka::app
