#include "sound/music_file.h"

#include "sound/little_endian.h"

namespace zunka::sound {

MusicFile parseMusicFile(std::string_view bytes) {
  MusicFile music;
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  const size_t size = bytes.size();
  if (size < 5) {
    music.status = kBadMusicFile;
    return music;
  }
  music.version = readI32(data);
  if (music.version > kNewestMusicVersion) music.status = kNewerMusicFile;
  if (data[4] != kMusicChannels) {
    music.status = kBadMusicFile;
    return music;
  }
  size_t at = 5;
  for (auto& channel : music.channels) {
    int32_t length = size - at >= 4 ? readI32(data + at) : -1;
    if (length < 0 || size_t(length) > size - at - 4) {
      music = MusicFile{kBadMusicFile, music.version, {}};
      return music;
    }
    at += 4;
    if (length > 0) channel = std::make_shared<const Sequence>(data + at, data + at + length);
    at += size_t(length);
  }
  return music;
}

}  // namespace zunka::sound
