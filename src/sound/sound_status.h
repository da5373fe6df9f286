#pragma once
#include <cstdint>

namespace zunka::sound {

// What the last load or start of the sound component came to.
enum SoundStatus : int32_t {
  kSoundOk = 0,
  kFileNotOpened = 1,
  kUnusableWav = 2,
  kBadMusicFile = 3,
  kDeviceFailed = 4,
  kNewerMusicFile = 5,
};

}  // namespace zunka::sound
