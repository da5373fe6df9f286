#include "sound/music_player.h"

#include <string>

namespace zunka::sound {

std::string lowerCaseExtension(std::string_view path) {
  size_t name = path.find_last_of("\\/");
  name = name == std::string_view::npos ? 0 : name + 1;
  size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || dot < name) return {};
  std::string extension(path.substr(dot));
  for (char& c : extension)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return extension;
}

void MusicPlayer::play(std::string_view path, bool midiLoop) {
  std::string extension = lowerCaseExtension(path);
  if (extension == ".mzo") {
    component_.loadMusic(path);
    component_.startMusic();
    mode_ = MusicMode::Synthesiser;
  } else if (extension == ".mid" || extension == ".midi") {
    playMidi(path, midiLoop);
  }
}

void MusicPlayer::playMidi(std::string_view path, bool loop) {
  mode_ = MusicMode::Midi;
  waitWhileBusy();
  if (!ping(3)) {
    midi_->launch();
    ping(10);
  }
  // A MIDI player that answered neither ping still gets the command.
  midi_->send(path, loop);
}

void MusicPlayer::stop() {
  if (mode_ == MusicMode::Synthesiser) {
    component_.stopMusic();
  } else if (mode_ == MusicMode::Midi) {
    waitWhileBusy();
    midi_->send("stop", false);
  }
  mode_ = MusicMode::None;
}

void MusicPlayer::shutDown() {
  if (midi_->used()) midi_->send("exit", false);
}

void MusicPlayer::waitWhileBusy() {
  for (int32_t round = 0; round < 11 && midi_->busy(); ++round) {
    midi_->showStatus("MIDIプレイヤーが作動中です。しばらくお待ちください...");
    midi_->sleep(500);
    midi_->showStatus("");
    midi_->sleep(500);
  }
}

bool MusicPlayer::ping(int32_t attempts) {
  for (int32_t i = 0; i < attempts; ++i) {
    auto w = static_cast<uint16_t>(midi_->tickCount() & 0xFFFF);
    if (midi_->ping(w)) return true;
    midi_->sleep(100);
  }
  return false;
}

}  // namespace zunka::sound
