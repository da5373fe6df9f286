#pragma once

namespace zunka {

// Registers the SoundEffect, BGM and MediaPlayer natives for the kernel's
// classes.sys classes of those names.
void RegisterSoundNatives();

}  // namespace zunka
