#include "app/player_context.h"

#include "platform/clock.h"
#include "screen/cpattern.h"
#include "screen/panel_natives.h"
#include "screen/sprite_natives.h"
#include "sound/sound_natives.h"
#include "window/window_natives.h"

namespace zunka::app {

PlayerContext::PlayerContext() {
  previousMachine_ = vm::setMachine(nullptr);
  previousTimeAnalyzer_ = setTimeAnalyzer(nullptr);
  previousResources_ = setResourcesState(nullptr);
  previousCompiler_ = setCompilerState(nullptr);
  previousShell_ = setShellState(nullptr);
  previousScreen_ = setScreenState(nullptr);
  previousWindow_ = setWindowState(nullptr);
  previousSound_ = setSoundState(nullptr);
  build();
}

PlayerContext::~PlayerContext() {
  tearDown();
  setSoundState(previousSound_);
  setWindowState(previousWindow_);
  setScreenState(previousScreen_);
  setShellState(previousShell_);
  setCompilerState(previousCompiler_);
  setResourcesState(previousResources_);
  setTimeAnalyzer(previousTimeAnalyzer_);
  vm::setMachine(previousMachine_);
}

void PlayerContext::reset() {
  tearDown();
  build();
}

void PlayerContext::build() {
  layers_ = std::make_unique<Layers>();
  // Each layer is installed before the next is made: constructors may reach down.
  layers_->machine = std::make_unique<vm::Machine>();
  vm::setMachine(layers_->machine.get());
  layers_->timeAnalyzer = std::make_unique<TTimeAnalyzer>(platform::tickCount);
  setTimeAnalyzer(layers_->timeAnalyzer.get());
  layers_->resources = std::make_unique<ResourcesState>();
  setResourcesState(layers_->resources.get());
  layers_->compiler = std::make_unique<CompilerState>();
  setCompilerState(layers_->compiler.get());
  layers_->shell = std::make_unique<ShellState>();
  setShellState(layers_->shell.get());
  layers_->screen = std::make_unique<ScreenState>();
  setScreenState(layers_->screen.get());
  layers_->resources->hosts.setScreen(&layers_->screen->screen);
  layers_->window = std::make_unique<WindowState>();
  setWindowState(layers_->window.get());
  layers_->sound = std::make_unique<SoundState>();
  setSoundState(layers_->sound.get());
  layers_->resources->hosts.setSound(&layers_->sound->driver);
  RegisterPatternResources();
  RegisterSpriteNatives();
  RegisterPanelNatives();
  RegisterWindowNatives();
  RegisterSoundNatives();
}

void PlayerContext::tearDown() {
  if (!layers_) return;
  // Whatever a sink belonged to (a session, a test world) may be gone already.
  layers_->machine->console = nullptr;
  // The resource layer forgets the compiler's services before they go.
  ResourcesState& resources = *layers_->resources;
  if (resources.classCompiler == &layers_->compiler->classCompiler)
    resources.classCompiler = nullptr;
  if (resources.snippetEvaluator == &layers_->compiler->snippetEvaluator)
    resources.snippetEvaluator = nullptr;
  // Top-down, each layer still current while it goes: destructors (the snippet
  // class maker, resources) may reach the layers below.
  resources.hosts.setScreen(nullptr);
  resources.hosts.setSound(nullptr);
  layers_->sound.reset();
  setSoundState(nullptr);
  layers_->window.reset();
  setWindowState(nullptr);
  layers_->screen.reset();
  setScreenState(nullptr);
  layers_->shell.reset();
  setShellState(nullptr);
  layers_->compiler.reset();
  setCompilerState(nullptr);
  layers_->resources.reset();
  setResourcesState(nullptr);
  layers_->timeAnalyzer.reset();
  setTimeAnalyzer(nullptr);
  layers_->machine.reset();
  vm::setMachine(nullptr);
  layers_.reset();
}

}  // namespace zunka::app
