#pragma once
#include <memory>
#include <string>

#include "app/player_options.h"
#include "app/session_browser.h"
#include "debugger/debugger.h"
#include "platform/host_platform.h"
#include "platform/text_output.h"
#include "resources/player_hosts.h"
#include "shell/boot_sequence.h"
#include "shell/frame_loop.h"
#include "shell/host_state.h"
#include "shell/loading_window.h"
#include "shell/page_host.h"
#include "shell/player_console.h"
#include "window/input_router.h"
#include "window/screen_window.h"

namespace zunka::debugger {
class DebugWindow;
}

namespace zunka::app {

// One run of the player on an opened platform: the windows' set-up in their
// order (screen, loading window, frame loop), the first paint that boots, and
// the idle loop. The console sink and the window host it installs are removed
// again when the session ends.
class PlayerSession final : public WindowHost {
 public:
  PlayerSession(const PlayerOptions& options, platform::HostPlatform& host, BootSequence& boot,
                platform::TextOutput* log);
  ~PlayerSession() override;
  PlayerSession(const PlayerSession&) = delete;
  PlayerSession& operator=(const PlayerSession&) = delete;

  // Opens the input log to record or replay; false (with `error`) when it cannot.
  bool openInputLog(std::string& error);
  // Reads the debug script, or makes the debug window (hidden) when there is a
  // display; false (with `error`) when the script cannot be read.
  bool prepareDebugger(std::string& error);
  // Runs until the player ends; gives the exit status.
  int run(const std::string& baseDir);

  // The loading window and the message queue, for the rest of the player.
  void pumpMessages() override;
  void showLoadingWindow(std::string_view caption) override;
  void setLoadingCaption(std::string_view caption) override;
  void tickLoadingWindow() override;

 private:
  void attachSound();
  void createWindows();
  void close();
  void showDebugger();
  void startDebugging();
  debugger::DebugWindow* debugWindow() const;
  void idle(bool& done);
  bool shouldStop() const;
  bool nothingToRun() const;
  void printProfile();
  int exitStatus() const;

  const PlayerOptions& options_;
  platform::HostPlatform& host_;
  BootSequence& boot_;
  HostState& state_;
  KernelPages pages_;
  PlayerConsole console_;
  ScreenWindow screen_;
  InputRouter input_;
  FrameLoop loop_;
  LoadingWindow loading_;
  SessionBrowser browser_;
  debugger::Debugger debugger_;
  std::unique_ptr<debugger::FrontEnd> debugFrontEnd_;
  ConsoleSink* previousConsole_;
  ScreenHost* previousScreen_;
  double loopStart_ = 0;
};

}  // namespace zunka::app
