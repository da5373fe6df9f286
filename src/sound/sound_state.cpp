#include "sound/sound_state.h"

#include <string>

#include "platform/current_slot.h"
#include "resources/paths.h"

namespace zunka {
namespace {
platform::CurrentSlot<SoundState> current;
}  // namespace

SoundState::SoundState() = default;

SoundState::~SoundState() {
  music.setMidi(loggedMidi);
  component.enable(false);
  output.attach(nullptr);
}

void SoundState::attachCard(platform::AudioDevice* card) {
  component.enable(false);
  output.attach(card);
}

void SoundState::useMidiPlayer(sound::ProcessMidiLink::Setup setup) {
  midiPlayer = std::make_unique<sound::ProcessMidiLink>(std::move(setup));
  music.setMidi(*midiPlayer);
}

void SoundState::loadKernelTones(std::string_view baseDir) {
  if (baseDir.empty()) return;
  std::string path = StripTrailingBackslash(baseDir) + "\\kernel\\tones.wdt";
  if (files.exists(path)) component.loadTones(path);
}

SoundState& soundState() {
  return current.get();
}
SoundState* setSoundState(SoundState* state) {
  return current.set(state);
}

}  // namespace zunka
