#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "sound/channel.h"
#include "sound/sound_status.h"

// Music files (.mzo): a signed 32-bit little-endian version, the channel count
// (one byte, always 10), then per channel a signed 32-bit length n and n bytes
// of its sequence (none when n is 0).
namespace zunka::sound {

constexpr int32_t kNewestMusicVersion = 1200;

struct MusicFile {
  // kSoundOk; kNewerMusicFile for a version above 1200 (the channels are read
  // all the same); kBadMusicFile for a channel count other than 10, or for a file
  // cut short or with a channel length that does not fit in what remains of it,
  // and then no channel has a sequence.
  int32_t status = kSoundOk;
  int32_t version = 0;
  std::array<std::shared_ptr<const Sequence>, kMusicChannels> channels;
};

MusicFile parseMusicFile(std::string_view bytes);

}  // namespace zunka::sound
