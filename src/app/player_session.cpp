#include "app/player_session.h"

#include <cstdio>
#include <exception>

#include "debug/time_table.h"
#include "debugger/debug_script.h"
#include "debugger/debug_window.h"
#include "platform/files.h"
#include "platform/sjis_text.h"
#include "platform/stream_output.h"
#include "resources/environment_store.h"
#include "resources/project_state.h"
#include "resources/snippet_service.h"
#include "resources/user_storage.h"
#include "shell/shell_errors.h"
#include "shell/start_up.h"
#include "sound/sound_state.h"
#include "window/window_state.h"

namespace zunka::app {

PlayerSession::PlayerSession(const PlayerOptions& options, platform::HostPlatform& host,
                             BootSequence& boot, platform::TextOutput* log)
    : options_(options),
      host_(host),
      boot_(boot),
      state_(hostState()),
      console_(state_, playerHosts(), platform::StreamOutput::standardOutput(),
               platform::StreamOutput::standardError()),
      screen_(host.window(), state_, options.fullScreen),
      input_(state_, screen_, host.window(), host.clock(), host.gamepads(),
             {.headless = host.headless(),
              .close = [this] { close(); },
              .showDebugger = [this] { showDebugger(); }}),
      loop_(state_, host.clock(), input_, pages_, playerHosts()),
      loading_(state_, host.window(), host.headless()),
      browser_(host),
      debugger_(state_) {
  console_.setMessageBoxes(&host_.messageBoxes());
  console_.setLogOutput(log);
  previousConsole_ = &console();
  setConsole(&console_);
  setPlayerFrameLoop(&loop_);
  playerHosts().setWindows(this);
  playerHosts().setBrowser(&browser_);
  previousScreen_ = &playerHosts().screen();
  playerHosts().setScreen(&screen_);
  windowState().screen = &screen_;
  windowState().input = &input_;
  host_.setInputSink(&input_);
  attachSound();
}

// The sound plays on the platform's card (headless, the virtual one) and, with
// --audio-out, keeps what the card played.
void PlayerSession::attachSound() {
  SoundState& sound = soundState();
  sound.attachCard(&host_.audio());
  if (options_.audioOut) sound.driver.startRecording();
  // Headless, MIDI commands only go to the log.
  if (host_.headless()) return;
  sound::ProcessMidiLink::Setup midi;
  midi.program = platform::hostPath(platform::executableDirectory()) + "/zunka-midi";
  midi.soundFont = environmentStore().GetEnv("midiSoundFont");
  sound.useMidiPlayer(std::move(midi));
}

bool PlayerSession::prepareDebugger(std::string& error) {
  if (options_.debugScript) {
    auto commands = debugger::DebugScript::read(*options_.debugScript);
    if (!commands) {
      error = "cannot read the debug script " + *options_.debugScript;
      return false;
    }
    debugFrontEnd_ = std::make_unique<debugger::DebugScript>(
        debugger_, std::move(*commands), platform::StreamOutput::standardOutput(),
        [this] { close(); });
  }
  if (!debugFrontEnd_ && !host_.headless()) {
    using debugger::DebugWindow;
    // Made with the other windows, hidden until it is needed.
    if (auto window = host_.openToolWindow("デバッグ", DebugWindow::kPreferredWidth,
                                           DebugWindow::kPreferredHeight))
      debugFrontEnd_ = std::make_unique<DebugWindow>(debugger_, std::move(window),
                                                     host_.messagePump(), host_.clock());
  }
  if (!debugFrontEnd_) return true;
  debugger_.setFrontEnd(debugFrontEnd_.get());
  playerHosts().setDebugger(&debugger_);
  return true;
}

debugger::DebugWindow* PlayerSession::debugWindow() const {
  return dynamic_cast<debugger::DebugWindow*>(debugFrontEnd_.get());
}

// Ctrl+F10: the debug window, when there is one.
void PlayerSession::showDebugger() {
  if (debugger::DebugWindow* window = debugWindow()) window->show();
}

// --debug: the window comes up with the game stopped before its first instruction.
void PlayerSession::startDebugging() {
  if (auto* script = dynamic_cast<debugger::DebugScript*>(debugFrontEnd_.get())) script->begin();
  if (!options_.debug) return;
  if (debugger::DebugWindow* window = debugWindow()) {
    window->show();
    debugger_.breakNow();
  } else {
    std::fprintf(stderr, "zunka: --debug needs a display; the game runs without the debugger\n");
  }
}

bool PlayerSession::openInputLog(std::string& error) {
  if (options_.replay && !input_.replay(*options_.replay, error)) return false;
  if (options_.record && !input_.record(*options_.record, error)) return false;
  return true;
}

// The user closes the window: no frame runs any more, and the loop ends.
void PlayerSession::close() {
  state_.closing = true;
  host_.idleLoop().quit();
}

void PlayerSession::pumpMessages() {
  host_.messagePump().pumpMessages();
}

void PlayerSession::tickLoadingWindow() {
  loading_.tickIfDue(host_.clock().tickCount());
}

void PlayerSession::setLoadingCaption(std::string_view caption) {
  loading_.setCaption(std::string(caption));
}

void PlayerSession::showLoadingWindow(std::string_view caption) {
  if (!caption.empty()) loading_.setCaption(std::string(caption));
  loading_.show(host_.clock().tickCount());
}

PlayerSession::~PlayerSession() {
  SoundState& sound = soundState();
  sound.music.shutDown();
  sound.attachCard(nullptr);
  if (&playerHosts().debugger() == &debugger_) playerHosts().setDebugger(nullptr);
  host_.setInputSink(nullptr);
  windowState().screen = nullptr;
  windowState().input = nullptr;
  playerHosts().setScreen(previousScreen_);
  playerHosts().setWindows(nullptr);
  playerHosts().setBrowser(nullptr);
  setPlayerFrameLoop(nullptr);
  setConsole(previousConsole_);
}

int PlayerSession::run(const std::string& baseDir) {
  if (options_.profile) timeAnalyzer().Reset();
  createWindows();
  SoundState& sound = soundState();
  sound.loadKernelTones(platform::systemPath(baseDir));
  // The MIDI player's busy marker goes where caches go: the kernel folder of an
  // installed player cannot be written.
  if (sound.midiPlayer) {
    std::string cache = userStorage().cacheDir;
    if (cache.empty()) cache = platform::systemPath(baseDir) + "\\Temp";
    platform::makeDirectory(cache);
    sound.midiPlayer->setBusyMarker(cache + "\\midiBlock");
  }
  StartUp(state_, boot_).firstPaint(baseDir, options_.file);
  host_.window().setTitle(projectState().applicationTitle);
  if (vm::TValue* fullScreen = ExistingGlobalCell("$fullScreen"))
    vm::setInt(*fullScreen, screen_.coversDisplay() ? 1 : 0);
  startDebugging();
  loopStart_ = host_.clock().milliseconds();
  if (!shouldStop()) host_.idleLoop().run([this](bool& done) { idle(done); });
  // What scripts hold goes while this console still reports it.
  boot_.shutDown();
  console_.finishRepeats();
  if (options_.profile) printProfile();
  return exitStatus();
}

// In the order the player's windows are made: the screen (its frames may draw),
// the loading window (its bar starts), the debug window (the frame loop's clock
// starts).
void PlayerSession::createWindows() {
  projectState().drawFrame = true;
  host_.window().paintBlank();
  loading_.show(host_.clock().tickCount());
  loop_.setUp();
}

void PlayerSession::idle(bool& done) {
  try {
    // Before the frames of this step: headless, the pass for every 50 ms period
    // the card has consumed happens here (docs/sound.md).
    playerHosts().sound().render();
    uint32_t now = host_.clock().tickCount();
    loading_.tickIfDue(now);
    screen_.timerTick(now);
    input_.deliverDue();
    int32_t drawn = state_.drawCount;
    loop_.Main(done);
    if (state_.drawCount != drawn) screen_.noteDrawnFrame(host_.clock().milliseconds());
    if (debugger::DebugWindow* window = debugWindow()) window->tick();
  } catch (const std::exception& e) {
    reportApplicationException(e);
  }
  if (shouldStop()) host_.idleLoop().quit();
}

bool PlayerSession::shouldStop() const {
  if (state_.closing) return true;
  if (options_.frames) {
    if (state_.frameCount >= *options_.frames) return true;
    // With nothing to run, frames never count up: stop on elapsed frame time.
    double elapsed = host_.clock().milliseconds() - loopStart_;
    return nothingToRun() &&
           elapsed >= static_cast<double>(*options_.frames) * state_.frameInterval;
  }
  // Headless, nothing outside the game can start a page: when nothing runs, the
  // run is over.
  return host_.headless() && nothingToRun();
}

bool PlayerSession::nothingToRun() const {
  const vm::TProcess* root = state_.root();
  return !root || root->halted;
}

void PlayerSession::printProfile() {
  timeAnalyzer().Stop();
  std::string table = formatTimeTable(timeAnalyzer(), TTimeAnalyzer::Order::ByNumber);
  std::string text = platform::sjisToUtf8(table);
  if (!text.empty() && text.back() == '\n') text.pop_back();
  platform::StreamOutput::standardOutput().writeLine(text);
}

int PlayerSession::exitStatus() const {
  if (!host_.headless()) return 0;
  return console_.shownCount() > 0 || projectState().runtimeErrorSeen ? 1 : 0;
}

}  // namespace zunka::app
