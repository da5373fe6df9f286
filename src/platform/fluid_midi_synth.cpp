// MidiSynth on FluidSynth.
#include <fluidsynth.h>
#include <sys/stat.h>

#include <cstdlib>
#include <vector>

#include "platform/clock.h"
#include "platform/midi_synth.h"

namespace zunka::platform {
namespace {

bool fileThere(const std::string& path) {
  struct stat info {};
  return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// FluidSynth's own messages would clutter the player's terminal.
void quietLog(int, const char*, void*) {}

class FluidMidiSynth final : public MidiSynth {
 public:
  ~FluidMidiSynth() override {
    if (driver_) delete_fluid_audio_driver(driver_);
    stop();
    deleteStoppedPlayers(true);
    if (synth_) delete_fluid_synth(synth_);
    if (settings_) delete_fluid_settings(settings_);
  }

  bool open(const std::string& font, bool live, std::string& error) {
    settings_ = new_fluid_settings();
    if (!settings_) return error = "no synthesiser settings", false;
    fluid_settings_setnum(settings_, "synth.sample-rate", kSampleRate);
    fluid_settings_setnum(settings_, "synth.gain", 0.8);  // 0.2 by default: too quiet
    // Offline the player keeps time by the samples rendered, not the wall clock.
    fluid_settings_setstr(settings_, "player.timing-source", live ? "system" : "sample");
    synth_ = new_fluid_synth(settings_);
    if (!synth_) return error = "no synthesiser", false;
    if (fluid_synth_sfload(synth_, font.c_str(), 1) == FLUID_FAILED)
      return error = "cannot load the sound font " + font, false;
    if (live) driver_ = new_fluid_audio_driver(settings_, synth_);
    return true;
  }

  bool hasOutput() const override { return driver_ != nullptr; }

  bool play(const std::string& file, bool loop) override {
    stop();
    if (!fluid_is_midifile(file.c_str())) return false;
    player_ = new_fluid_player(synth_);
    if (!player_ || fluid_player_add(player_, file.c_str()) != FLUID_OK) {
      stop();
      return false;
    }
    fluid_player_set_loop(player_, loop ? -1 : 1);
    return fluid_player_play(player_) == FLUID_OK;
  }

  void stop() override {
    if (!player_) return;
    fluid_player_stop(player_);
    fluid_player_join(player_);
    stopped_.push_back({player_, tickCount()});
    player_ = nullptr;
    fluid_synth_all_notes_off(synth_, -1);
    deleteStoppedPlayers(false);
  }

  bool playing() const override {
    return player_ && fluid_player_get_status(player_) == FLUID_PLAYER_PLAYING;
  }

  void render(int16_t* out, int32_t frames) override {
    fluid_synth_write_s16(synth_, frames, out, 0, 2, out, 1, 2);
  }

 private:
  // A player on the wall clock is ticked by a thread of its own, which deleting
  // the player stops only after freeing the player's tracks: a tick under way
  // then reads freed memory and the process dies. A stopped player is therefore
  // deleted only once it has been stopped for a while (its thread ends at its
  // next tick, a few milliseconds later), at a later stop or when the
  // synthesiser goes, which waits out the rest of that while.
  static constexpr uint32_t kSettleMilliseconds = 250;
  struct StoppedPlayer {
    fluid_player_t* player;
    uint32_t stoppedAt;
  };

  void deleteStoppedPlayers(bool evenRecent) {
    for (auto it = stopped_.begin(); it != stopped_.end();) {
      uint32_t age = tickCount() - it->stoppedAt;
      if (age < kSettleMilliseconds) {
        if (!evenRecent) {
          ++it;
          continue;
        }
        sleepMilliseconds(kSettleMilliseconds - age);
      }
      delete_fluid_player(it->player);
      it = stopped_.erase(it);
    }
  }

  fluid_settings_t* settings_ = nullptr;
  fluid_synth_t* synth_ = nullptr;
  fluid_audio_driver_t* driver_ = nullptr;
  fluid_player_t* player_ = nullptr;
  std::vector<StoppedPlayer> stopped_;
};

}  // namespace

std::unique_ptr<MidiSynth> MidiSynth::create(const std::string& soundFont, bool live,
                                             std::string& error) {
  for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
    fluid_set_log_function(level, quietLog, nullptr);
  auto synth = std::make_unique<FluidMidiSynth>();
  if (!synth->open(soundFont, live, error)) return nullptr;
  return synth;
}

std::string findSoundFont(const std::string& configured) {
  if (!configured.empty()) return configured;
  if (const char* env = std::getenv("ZUNKA_SOUNDFONT"); env && *env) return env;
  for (const char* path :
       {"/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/default-GM.sf2",
        "/usr/share/sounds/sf2/FluidR3_GM.sf2"})
    if (fileThere(path)) return path;
  return {};
}

}  // namespace zunka::platform
