#include "sound/ravlink.h"

#include <algorithm>
#include <string>

#include "sound/music_file.h"
#include "sound/tone_data.h"

namespace zunka::sound {

TRavlink::TRavlink(WaveOut& device, SoundFiles& files)
    : device_(device), files_(files), enveloper_(device, files) {
  setBufferSize(20000);
  setDelay(1000);
  if (files_.exists("tones.wdt")) loadTones("tones.wdt");
}

TRavlink::~TRavlink() {
  enveloper_.close();
}

bool TRavlink::loadTones(std::string_view path) {
  std::string bytes;
  if (!files_.read(path, bytes)) return false;
  return readToneFile(bytes, enveloper_.waveforms(), enveloper_.envelopes());
}

int32_t TRavlink::loadMusic(std::string_view path) {
  stopMusic();
  for (int32_t c = 0; c < kMusicChannels; ++c) enveloper_.setChannelSequence(c, nullptr);
  blocks_ = {};
  std::string bytes;
  if (!files_.read(path, bytes)) return status_ = kFileNotOpened;
  MusicFile music = parseMusicFile(bytes);
  blocks_ = std::move(music.channels);
  return status_ = music.status;
}

int32_t TRavlink::startMusic() {
  if (enveloper_.failed() || !enveloper_.open()) return status_ = kDeviceFailed;
  for (int32_t c = 0; c < kMusicChannels; ++c) enveloper_.setChannelSequence(c, blocks_[c]);
  renderTimerRunning_ = true;
  return status_;
}

void TRavlink::stopMusic() {
  enveloper_.stopAllChannels();
}

int32_t TRavlink::enable(bool on) {
  if (!on) {
    enveloper_.close();
    return status_ = kSoundOk;
  }
  return status_ = enveloper_.open() ? kSoundOk : kDeviceFailed;
}

void TRavlink::setMasterVolume(int32_t volume) {
  if (!enveloper_.failed()) enveloper_.setMasterVolume(volume);
}

void TRavlink::setDelay(int32_t samples) {
  if (samples >= 0 && samples < bufferSize() - 10) enveloper_.setEffectDelay(samples);
}

int32_t TRavlink::loadEffect(std::string_view path) {
  std::string bytes;
  if (!files_.read(path, bytes)) {
    status_ = kFileNotOpened;
    return 0;
  }
  auto wav = std::make_unique<TWavLoader>(TWavLoader::fromBytes(bytes));
  if (wav->hasError()) {
    status_ = kUnusableWav;
    return 0;
  }
  status_ = kSoundOk;
  int32_t number = nextEffectNumber_++;
  effects_.push_back({number, std::move(wav)});
  return number;
}

const TWavLoader* TRavlink::effect(int32_t effect) const {
  for (const LoadedEffect& e : effects_)
    if (e.number == effect) return e.wav.get();
  return nullptr;
}

void TRavlink::playEffect(int32_t effect, int32_t volume) {
  const TWavLoader* wav = this->effect(effect);
  if (!wav || enveloper_.failed() || !enveloper_.open()) return;
  enveloper_.playEffect(1, wav->data().data(), volume, wav->length(), device_.position());
}

void TRavlink::freeEffect(int32_t effect) {
  bool wasOpen = enveloper_.isOpen();
  enveloper_.close();
  auto it = std::find_if(effects_.begin(), effects_.end(),
                         [&](const LoadedEffect& e) { return e.number == effect; });
  if (it != effects_.end()) {
    // A slot still playing it would read freed bytes.
    enveloper_.forgetEffect(it->wav->data().data(), it->wav->data().size());
    effects_.erase(it);
  }
  // Closing silences everything that was mixed ahead; music that is still going
  // would otherwise stay silent until some effect happened to reopen the device.
  if (wasOpen && musicGoingOn()) enveloper_.open();
}

bool TRavlink::musicGoingOn() const {
  for (int32_t c = 0; c < kMusicChannels; ++c)
    if (enveloper_.channel(c).state != ChannelState::Stopped) return true;
  return false;
}

void TRavlink::render() {
  if (enveloper_.isOpen()) enveloper_.render(device_.position());
}

}  // namespace zunka::sound
