#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "sound/enveloper.h"
#include "sound/sound_files.h"
#include "sound/sound_status.h"
#include "sound/wav_loader.h"
#include "sound/wave_out.h"

// The player's sound component: it owns the synthesiser, loads music and
// effects, opens the device when first needed, and renders when asked. The
// player calls render() every 50 ms (and whenever it wants the ring topped up);
// see enveloper.h for the schedule. Every call returns at once.
namespace zunka::sound {

class TRavlink {
 public:
  // With the player's settings: a 20,000-sample ring and effects 1,000 samples
  // ahead; loads tones.wdt from the current directory when it is there.
  TRavlink(WaveOut& device, SoundFiles& files);
  ~TRavlink();
  TRavlink(const TRavlink&) = delete;
  TRavlink& operator=(const TRavlink&) = delete;

  // Waveforms and envelopes from a tones.wdt file; false (nothing changed) when
  // it is missing or too short.
  bool loadTones(std::string_view path);

  // Stops the music and reads a music file: kFileNotOpened, kBadMusicFile,
  // kNewerMusicFile (played all the same) or kSoundOk.
  int32_t loadMusic(std::string_view path);
  // Opens the device and plays every channel the loaded music has; kDeviceFailed
  // when the device is failed or fails to open, else the status as it stands.
  int32_t startMusic();
  void stopMusic();
  // Opens (true) or closes (false) the device: kDeviceFailed or kSoundOk.
  int32_t enable(bool on);
  // When the device has not failed.
  void setMasterVolume(int32_t volume);

  // Loads a WAV file as an effect: its number (1 and up), or 0 with the status
  // kFileNotOpened or kUnusableWav.
  int32_t loadEffect(std::string_view path);
  // Plays a loaded effect (opening the device when needed); unknown numbers and
  // a failed device do nothing.
  void playEffect(int32_t effect, int32_t volume);
  // Closes the device, then frees the effect when it is a loaded one. When music
  // is still playing (or waiting) the device opens again at once, so that the
  // music goes on one ring length later instead of falling silent.
  void freeEffect(int32_t effect);
  const TWavLoader* effect(int32_t effect) const;

  // One mixing pass up to the device's position, while the device is open.
  void render();

  int32_t status() const { return status_; }
  // The requested ring length (256 ... 59,999), used from the next open.
  int32_t bufferSize() const { return enveloper_.bufferLength(); }
  void setBufferSize(int32_t samples) { enveloper_.setBufferLength(samples); }
  // Samples between the play position and a new effect's start; accepted when
  // 0 <= delay < buffer size - 10.
  int32_t delay() const { return enveloper_.effectDelay(); }
  void setDelay(int32_t samples);
  // Music has been started at least once: the 50 ms render timer runs.
  bool renderTimerRunning() const { return renderTimerRunning_; }

  TEnveloper& enveloper() { return enveloper_; }
  const TEnveloper& enveloper() const { return enveloper_; }

 private:
  bool musicGoingOn() const;

  struct LoadedEffect {
    int32_t number;
    std::unique_ptr<TWavLoader> wav;
  };

  WaveOut& device_;
  SoundFiles& files_;
  TEnveloper enveloper_;
  std::array<std::shared_ptr<const Sequence>, kMusicChannels> blocks_;
  std::vector<LoadedEffect> effects_;
  int32_t nextEffectNumber_ = 1;
  int32_t status_ = kSoundOk;
  bool renderTimerRunning_ = false;
};

}  // namespace zunka::sound
