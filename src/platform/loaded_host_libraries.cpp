// For the player: the desktop libraries come from the host module, opened on
// first use. It lies in lib/zunka/ beside the executable in the build tree, and
// in ../lib/zunka/ from bin/ in an installed tree.
#include <filesystem>
#include <string>
#include <vector>

#include "platform/host_libraries.h"
#include "platform/shared_library.h"

namespace zunka::platform {
namespace {

constexpr const char* kModuleName = "zunka-host.so";
constexpr const char* kModuleFolders[] = {"/lib/zunka/", "/../lib/zunka/"};

struct LoadedLibraries {
  const HostLibraries* libraries = nullptr;
  std::string error;  // UTF-8, as it goes to standard error
};

LoadedLibraries load() {
  LoadedLibraries loaded;
  std::error_code ec;
  std::string directory = std::filesystem::read_symlink("/proc/self/exe", ec).parent_path();
  if (ec) {
    loaded.error = "cannot find the host module: where the running program lies is unknown";
    return loaded;
  }
  std::vector<std::string> looked;
  for (const char* folder : kModuleFolders) {
    std::string path =
        std::filesystem::path(directory + folder + kModuleName).lexically_normal().string();
    looked.push_back(path);
    if (!std::filesystem::is_regular_file(path, ec)) continue;
    std::string why;
    SharedLibrary module = SharedLibrary::openHostFile(path, why);
    if (!module.isOpen()) {
      loaded.error = "cannot load " + path + ": " + why;
      return loaded;
    }
    auto entry = reinterpret_cast<HostModuleEntry>(module.symbol(kHostModuleEntry));
    loaded.libraries = entry ? entry(kHostInterfaceVersion, ZUNKA_VERSION) : nullptr;
    if (!loaded.libraries) loaded.error = path + " is not the host module of zunka " ZUNKA_VERSION;
    return loaded;
  }
  loaded.error = std::string("cannot find the host module ") + kModuleName + " (looked for " +
                 looked[0] + " and " + looked[1] + ")";
  return loaded;
}

}  // namespace

const HostLibraries* hostLibraries(std::string& error) {
  static const LoadedLibraries loaded = load();
  if (!loaded.libraries) error = loaded.error;
  return loaded.libraries;
}

}  // namespace zunka::platform
