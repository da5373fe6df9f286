#pragma once
#include <memory>

#include "compiler/compiler_state.h"
#include "debug/time_analyzer.h"
#include "resources/resources_state.h"
#include "screen/screen_state.h"
#include "shell/shell_state.h"
#include "sound/sound_state.h"
#include "vm/runtime.h"
#include "window/window_state.h"

namespace zunka::app {

// The one place the player's state lives: one object per layer (the machine,
// the resource layer, the compiler, the shell, the screen, the window, the sound, the time
// analyser). Making a context makes it the current one; destroying it puts back the one before, so
// contexts nest (a test inside a process that has one). reset() starts every
// layer afresh, as a new player before start-up: nothing installed (console
// sink, script compiler, hosts) but the screen and its resource kinds. Nothing made against the old
// layers (a player session, a kernel boot, a frame loop) may outlive a reset: they hold references
// to the layer objects.
//
// The value arena, the host handle table and the symbol table are shared by
// every context: see vm::Machine.
class PlayerContext {
 public:
  PlayerContext();
  ~PlayerContext();
  PlayerContext(const PlayerContext&) = delete;
  PlayerContext& operator=(const PlayerContext&) = delete;

  void reset();

  vm::Machine& machine() { return *layers_->machine; }
  ResourcesState& resources() { return *layers_->resources; }
  CompilerState& compiler() { return *layers_->compiler; }
  ShellState& shell() { return *layers_->shell; }
  ScreenState& screen() { return *layers_->screen; }
  WindowState& window() { return *layers_->window; }
  SoundState& sound() { return *layers_->sound; }
  TTimeAnalyzer& timeAnalyzer() { return *layers_->timeAnalyzer; }

 private:
  // Built and installed bottom-up, torn down top-down.
  struct Layers {
    std::unique_ptr<vm::Machine> machine;
    std::unique_ptr<TTimeAnalyzer> timeAnalyzer;
    std::unique_ptr<ResourcesState> resources;
    std::unique_ptr<CompilerState> compiler;
    std::unique_ptr<ShellState> shell;
    std::unique_ptr<ScreenState> screen;
    std::unique_ptr<WindowState> window;
    std::unique_ptr<SoundState> sound;
  };
  void build();
  void tearDown();

  std::unique_ptr<Layers> layers_;
  // What was current before this context, put back when it goes.
  vm::Machine* previousMachine_ = nullptr;
  TTimeAnalyzer* previousTimeAnalyzer_ = nullptr;
  ResourcesState* previousResources_ = nullptr;
  CompilerState* previousCompiler_ = nullptr;
  ShellState* previousShell_ = nullptr;
  ScreenState* previousScreen_ = nullptr;
  WindowState* previousWindow_ = nullptr;
  SoundState* previousSound_ = nullptr;
};

}  // namespace zunka::app
