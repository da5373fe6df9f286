#include "platform/files.h"
#include "resources/resource_tree.h"
#include "sound/sound_files.h"

namespace zunka::sound {

bool PlatformSoundFiles::exists(std::string_view path) {
  return platform::fileExists(path);
}

bool PlatformSoundFiles::read(std::string_view path, std::string& bytes) {
  return platform::readFile(path, bytes);
}

std::string PlatformSoundFiles::programDirectory() {
  const std::string& base = resourceTree().baseDir;
  return base.empty() ? platform::executableDirectory() : base;
}

}  // namespace zunka::sound
