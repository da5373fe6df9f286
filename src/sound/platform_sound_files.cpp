#include "platform/files.h"
#include "resources/resource_tree.h"
#include "sound/sound_files.h"

namespace zunka::sound {
namespace {

// Effects and music files are held whole in memory; 64 MiB is six minutes of CD
// sound as a WAV file, far beyond any effect, and no sequence file comes near it.
constexpr uint64_t kLargestSoundFile = uint64_t(64) << 20;

}  // namespace

bool PlatformSoundFiles::exists(std::string_view path) {
  return platform::fileExists(path);
}

bool PlatformSoundFiles::read(std::string_view path, std::string& bytes) {
  return platform::readFile(path, bytes, kLargestSoundFile);
}

std::string PlatformSoundFiles::programDirectory() {
  const std::string& base = resourceTree().baseDir;
  return base.empty() ? platform::executableDirectory() : base;
}

}  // namespace zunka::sound
