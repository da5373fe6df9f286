// The natives of SoundEffect, BGM and MediaPlayer. Arguments count from 1; file
// names are looked up as FindSoundFile says. The window's sound switch gates
// effects and music (not stopping or the volume).
#include "sound/sound_natives.h"

#include "resources/resources_state.h"
#include "shell/host_state.h"
#include "sound/sound_file_lookup.h"
#include "sound/sound_state.h"
#include "vm/natives/native_support.h"

namespace zunka {
namespace {

using vm::nativeArg;
using vm::toInt;

constexpr int32_t kDefaultEffectVolume = 128;

// --- SoundEffect ---

// _n_loadSE(path): the effect's number, or 0 when the file is missing or unusable.
ZUNKA_NATIVE(nativeLoadEffect) {
  if (argc < 1) return;
  std::string path = sound::FindSoundFile(vm::toText(nativeArg(target, 1)));
  int32_t effect = path.empty() ? 0 : soundState().component.loadEffect(path);
  vm::setInt(*target, effect);
}

// _n_play(effect, unused, volume)
ZUNKA_NATIVE(nativePlayEffect) {
  if (argc < 1 || !hostState().soundEnabled) return;
  int32_t effect = toInt(nativeArg(target, 1));
  if (effect == 0) return;
  int32_t volume = argc >= 3 ? toInt(nativeArg(target, 3)) : kDefaultEffectVolume;
  soundState().component.playEffect(effect, volume);
}

// _n_freeSE(effect): closes the output, then frees the effect.
ZUNKA_NATIVE(nativeFreeEffect) {
  if (argc < 1) return;
  int32_t effect = toInt(nativeArg(target, 1));
  if (effect != 0) soundState().component.freeEffect(effect);
}

// --- BGM ---

// _n_play(path[, loop]): the loop flag is kept for MIDI pieces even when the
// file turns out to be missing.
ZUNKA_NATIVE(nativePlayMusic) {
  if (!hostState().soundEnabled || argc < 1) return;
  SoundState& sound = soundState();
  if (argc >= 2) sound.midiLoop = vm::isTrue(nativeArg(target, 2));
  std::string path = sound::FindSoundFile(vm::toText(nativeArg(target, 1)));
  if (!path.empty()) sound.music.play(path, sound.midiLoop);
}

// --- MediaPlayer ---

ZUNKA_NATIVE(nativeStopMusic) {
  soundState().music.stop();
}

ZUNKA_NATIVE(nativeSetEnable) {
  if (argc < 1) return;
  soundState().component.enable(vm::isTrue(nativeArg(target, 1)));
}

ZUNKA_NATIVE(nativeSetVolume) {
  if (argc < 1) return;
  soundState().component.setMasterVolume(toInt(nativeArg(target, 1)));
}

constexpr vm::NativeEntry kSoundEffect[] = {
    {"_n_loadSE", nativeLoadEffect},
    {"_n_play", nativePlayEffect},
    {"_n_freeSE", nativeFreeEffect},
};
constexpr vm::NativeEntry kBgm[] = {
    {"_n_play", nativePlayMusic},
};
constexpr vm::NativeEntry kMediaPlayer[] = {
    {"_n_stop", nativeStopMusic},
    {"_n_setEnable", nativeSetEnable},
    {"_n_setVolume", nativeSetVolume},
};

}  // namespace

void RegisterSoundNatives() {
  RegisterNativeTable("classes.sys.SoundEffect", kSoundEffect);
  RegisterNativeTable("classes.sys.BGM", kBgm);
  RegisterNativeTable("classes.sys.MediaPlayer", kMediaPlayer);
}

}  // namespace zunka
