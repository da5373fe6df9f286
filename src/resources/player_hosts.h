#pragma once
#include <string>
#include <string_view>

namespace zunka {

// What the portable player asks of the parts that face the user: the screen, the
// sound device, the debug window, the other windows and the web browser. Each has a headless
// implementation that does nothing, in use until the player installs a real one, so that every
// layer runs and is testable without a display or a sound card.

// The screen and its drawing.
class ScreenHost {
 public:
  virtual ~ScreenHost() = default;
  // Redraws the whole screen from the sprite list into the off-screen surface.
  virtual void drawAll() = 0;
  // Shows the off-screen surface in the window.
  virtual void present() = 0;
  // Empties the sprite list (before a frame that draws, and when a page stops).
  virtual void clearSprites() = 0;
  // A page is loading: the screen shows the loading state.
  virtual void pageLoading() = 0;
  // Loading is over: the screen runs again.
  virtual void pageStarted() = 0;
  // Play (false) or design mode (true; the design timer runs).
  virtual void designModeChanged(bool design) = 0;
  // The pattern list back to the kernel's patterns.
  virtual void resetPatterns() = 0;
  // The kernel's resources are compiled: the patterns loaded so far are the
  // kernel's, kept by every page.
  virtual void kernelLoaded() = 0;
  // Shows that the player is busy (a long console burst, a long load).
  virtual void drawActivityIndicator() = 0;
};

// The sound device: renders what the synthesiser and the players produced
// since the last call.
class SoundHost {
 public:
  virtual ~SoundHost() = default;
  virtual void render() = 0;
  // The window's sound switch went off: whatever music plays stops.
  virtual void stopMusic() = 0;
};

// The debug window.
class DebuggerHost {
 public:
  virtual ~DebuggerHost() = default;
  // The views that show the resource tree, classes and files are stale.
  virtual void refreshViews() = 0;
  // The interpreter ran out of debug steps (single-stepping, a break): runs the
  // debugger until vm::runtime().debugStepBudget is positive again, or leaves it
  // at 0 when the player is closing. Gives false when the debugger did not stop
  // (it only looked whether a breakpoint was reached and let the run go on).
  virtual bool pause() = 0;
};

// The desktop's web browser, and the clock that limits how often it is opened.
class BrowserHost {
 public:
  virtual ~BrowserHost() = default;
  // Opens `address` (printable ASCII) with the desktop's default handler.
  virtual void open(const std::string& address) = 0;
  // The player's clock in minutes.
  virtual double minutes() const = 0;
};

// The player's other windows: the loading window, and the host's message queue
// that keeps them all responsive during long work.
class WindowHost {
 public:
  virtual ~WindowHost() = default;
  virtual void pumpMessages() = 0;
  // Shows the loading window again after an error; a non-empty caption replaces
  // its caption (the source file of the class that was running).
  virtual void showLoadingWindow(std::string_view caption) = 0;
  virtual void setLoadingCaption(std::string_view caption) = 0;
  // Advances the loading window's bar when its time has come.
  virtual void tickLoadingWindow() = 0;
};

class HeadlessScreen final : public ScreenHost {
 public:
  void drawAll() override {}
  void present() override {}
  void clearSprites() override {}
  void pageLoading() override {}
  void pageStarted() override {}
  void designModeChanged(bool) override {}
  void resetPatterns() override {}
  void kernelLoaded() override {}
  void drawActivityIndicator() override {}
};

class SilentSound final : public SoundHost {
 public:
  void render() override {}
  void stopMusic() override {}
};

// Without a debugger nothing waits: the interpreter is never paused.
class NoDebugger final : public DebuggerHost {
 public:
  void refreshViews() override {}
  bool pause() override { return false; }
};

// Without a desktop the address is printed on standard output instead, and time
// is the host's.
class PrintedAddresses final : public BrowserHost {
 public:
  void open(const std::string& address) override;
  double minutes() const override;
};

class NoWindows final : public WindowHost {
 public:
  void pumpMessages() override {}
  void showLoadingWindow(std::string_view) override {}
  void setLoadingCaption(std::string_view) override {}
  void tickLoadingWindow() override {}
};

// The hosts in use. A host the player has not installed (or has put back with
// nullptr) is the headless one.
class PlayerHosts {
 public:
  ScreenHost& screen() const { return screen_ ? *screen_ : headlessScreen_; }
  SoundHost& sound() const { return sound_ ? *sound_ : silentSound_; }
  DebuggerHost& debugger() const { return debugger_ ? *debugger_ : noDebugger_; }
  WindowHost& windows() const { return windows_ ? *windows_ : noWindows_; }
  BrowserHost& browser() const { return browser_ ? *browser_ : printedAddresses_; }
  void setScreen(ScreenHost* host) { screen_ = host; }
  void setSound(SoundHost* host) { sound_ = host; }
  // Also makes the debugger the interpreter's pause routine (none: no pause).
  void setDebugger(DebuggerHost* host);
  void setWindows(WindowHost* host) { windows_ = host; }
  void setBrowser(BrowserHost* host) { browser_ = host; }

 private:
  ScreenHost* screen_ = nullptr;
  SoundHost* sound_ = nullptr;
  DebuggerHost* debugger_ = nullptr;
  WindowHost* windows_ = nullptr;
  BrowserHost* browser_ = nullptr;
  mutable HeadlessScreen headlessScreen_;
  mutable SilentSound silentSound_;
  mutable NoDebugger noDebugger_;
  mutable NoWindows noWindows_;
  mutable PrintedAddresses printedAddresses_;
};

// The current player's hosts.
PlayerHosts& playerHosts();

}  // namespace zunka
