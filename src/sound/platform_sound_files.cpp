#include "platform/files.h"
#include "sound/sound_files.h"

namespace zunka::sound {

bool PlatformSoundFiles::exists(std::string_view path) {
  return platform::fileExists(path);
}

bool PlatformSoundFiles::read(std::string_view path, std::string& bytes) {
  return platform::readFile(path, bytes);
}

std::string PlatformSoundFiles::programDirectory() {
  return platform::executableDirectory();
}

}  // namespace zunka::sound
