#include "app/player.h"

#include <cstdio>
#include <memory>

#include "app/player_session.h"
#include "app/system_directory.h"
#include "platform/files.h"
#include "platform/host_path.h"
#include "platform/host_platform.h"
#include "platform/image_file.h"
#include "platform/stream_output.h"
#include "resources/paths.h"
#include "resources/user_storage.h"
#include "screen/screen_state.h"
#include "shell/host_state.h"
#include "sound/sound_state.h"
#include "sound/wav_writer.h"
#include "window/screen_window.h"
#include "window/window_state.h"

namespace zunka::app {
namespace {

// The log destination of --log, or nothing; `ok` false when the file cannot be made.
std::unique_ptr<platform::StreamOutput> openLog(const PlayerOptions& options, bool& ok) {
  ok = true;
  if (!options.log || *options.log == "-") return nullptr;
  auto file = platform::StreamOutput::createFile(*options.log);
  if (!file) {
    std::fprintf(stderr, "zunka: cannot write the log file %s\n", options.log->c_str());
    ok = false;
  }
  return file;
}

// The game area as last drawn, as a PNG file.
bool writeScreenshot(const std::string& file) {
  const ScreenWindow* window = windowState().screen;
  std::string png = platform::encodePng(window ? window->gamePicture() : screenState().picture());
  if (!png.empty() && platform::writeFile(platform::systemPath(file), png)) return true;
  std::fprintf(stderr, "zunka: cannot write the screenshot %s\n", file.c_str());
  return false;
}

// Every sample the sound card played, as a WAV file.
bool writeAudio(const std::string& file) {
  sound::SoundDriver& driver = soundState().driver;
  std::string wav = sound::encodeWav(driver.recorded());
  if (platform::writeFile(platform::systemPath(file), wav)) return true;
  std::fprintf(stderr, "zunka: cannot write the sound file %s\n", file.c_str());
  return false;
}

// The system form of a host path made absolute, without a trailing separator.
std::string absoluteSystemPath(const std::string& hostPath) {
  std::string absolute =
      platform::absoluteHostPath(hostPath).value_or(platform::absoluteHostPathFromHere(hostPath));
  return StripTrailingBackslash(platform::systemPath(absolute));
}

// Where caches and saves go for this run (resources/user_storage.h): the game is
// the folder of FILE, or the bundled project.
void chooseStorage(const SystemDirectory& system, const std::string& file) {
  std::string base = absoluteSystemPath(system.path);
  std::string game = file.empty() ? base + "\\Usr" : ParentDir(absoluteSystemPath(file));
  ChooseUserStorage(base, game, system.installed);
}

}  // namespace

int runPlayer(const PlayerOptions& options, BootSequence& boot) {
  SystemDirectory system =
      locateSystemDirectory(options.baseDir, platform::hostPath(platform::executableDirectory()));
  const std::string& baseDir = system.path;
  if (!platform::hostDirectoryExists(baseDir)) {
    std::fprintf(stderr, "zunka: no such directory: %s\n", baseDir.c_str());
    return 2;
  }
  if (!options.file.empty()) {
    if (std::string problem = platform::hostFileProblem(options.file); !problem.empty()) {
      std::fprintf(stderr,
                   "zunka: cannot open %s: %s; FILE must be a page (.cmml) or project "
                   "(default.zunkaprj) file\n",
                   options.file.c_str(), problem.c_str());
      return 1;
    }
  }
  chooseStorage(system, options.file);
  bool logOk = false;
  std::unique_ptr<platform::StreamOutput> logFile = openLog(options, logOk);
  if (!logOk) return 2;
  platform::TextOutput* log = logFile.get();
  if (options.log && *options.log == "-") log = &platform::StreamOutput::standardError();

  HostState& state = hostState();
  state.fullScreen = options.fullScreen;
  platform::PlatformOptions platformOptions;
  platformOptions.headless = options.headless;
  platformOptions.fullScreen = options.fullScreen;
  platformOptions.frameInterval = [&state] { return state.frameInterval; };
  std::unique_ptr<platform::HostPlatform> host = platform::openHostPlatform(platformOptions);

  // Pages change the current directory: a relative screenshot path is taken now.
  std::optional<std::string> screenshot;
  if (options.screenshot) screenshot = platform::absoluteHostPathFromHere(*options.screenshot);
  std::optional<std::string> audioOut;
  if (options.audioOut) audioOut = platform::absoluteHostPathFromHere(*options.audioOut);
  PlayerSession session(options, *host, boot, log);
  std::string logError;
  if (!session.openInputLog(logError) || !session.prepareDebugger(logError)) {
    std::fprintf(stderr, "zunka: %s\n", logError.c_str());
    return 2;
  }
  int status = session.run(baseDir);
  if (screenshot && !writeScreenshot(*screenshot)) return 2;
  if (audioOut && !writeAudio(*audioOut)) return 2;
  return status;
}

}  // namespace zunka::app
