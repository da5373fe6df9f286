// The debug window with SDL's dummy driver: the game stops, the window comes up
// and lists the code, and presses pushed through SDL's own queue to the window's
// id step, run to a listed address, run, or close it. Set ZUNKA_SAVE_PICTURES to
// a directory to keep the pictures it drew.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "debugger/debug_window.h"
#include "debugger/debugger.h"
#include "platform/files.h"
#include "platform/host_platform.h"
#include "platform/image_file.h"
#include "resources/player_hosts.h"
#include "shell/shell_state.h"
#include "support/vm_world.h"

using namespace zunka;
using namespace zunka::debugger;
using namespace zunka::testing;
using Control = DebugWindow::Control;
using View = DebugWindow::View;

namespace {

// The player's message pump, with one step of the test's before each round: the
// window waits in rounds while the game is stopped.
struct ScriptedPump final : platform::MessagePump {
  explicit ScriptedPump(platform::MessagePump& real) : real(real) {}
  void pumpMessages() override {
    if (next < steps.size()) steps[next++]();
    // A press that went astray would leave the game stopped for good: after a
    // while the player closes, and the test fails instead of waiting.
    if (++rounds > 200) hostState().closing = true;
    real.pumpMessages();
  }
  int rounds = 0;
  platform::MessagePump& real;
  std::vector<std::function<void()>> steps;
  size_t next = 0;
};

// Records where the code view's mark stood at each stop.
struct Watching final : FrontEnd {
  explicit Watching(DebugWindow& w) : window(w) {}
  void stopped() override {
    window.stopped();
    marks.push_back(window.shown(View::Code).marked());
  }
  void waitWhileStopped() override { window.waitWhileStopped(); }
  void resumed() override { window.resumed(); }
  DebugWindow& window;
  std::vector<int32_t> marks;
};

// The debug window's id: it titles itself, the game's window is "Zunka System".
Uint32 windowId() {
  for (Uint32 id = 1; id < 64; ++id)
    if (SDL_Window* w = SDL_GetWindowFromID(id);
        w &&
        std::string(SDL_GetWindowTitle(w)).ends_with(reinterpret_cast<const char*>(u8"デバッグ")))
      return id;
  return 0;
}

void click(int32_t x, int32_t y) {
  SDL_Event e{};
  e.type = SDL_MOUSEBUTTONDOWN;
  e.button.windowID = windowId();
  e.button.button = SDL_BUTTON_LEFT;
  e.button.x = x;
  e.button.y = y;
  SDL_PushEvent(&e);
}

void click(const raster::Rect& r) {
  click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

class DebugWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* driver = std::getenv("SDL_VIDEODRIVER")) savedDriver = driver;
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    host = platform::openHostPlatform(platform::PlatformOptions{});
    ASSERT_FALSE(host->headless());
    pump = std::make_unique<ScriptedPump>(host->messagePump());
    auto tool = host->openToolWindow("", 1000, 700);
    ASSERT_NE(tool, nullptr);
    window = std::make_unique<DebugWindow>(debugger, std::move(tool), *pump, host->clock());
    window->stopped();  // laid out and drawn once, so the test knows where things are
    window->resumed();
    watching = std::make_unique<Watching>(*window);
    debugger.setFrontEnd(watching.get());
    playerHosts().setDebugger(&debugger);
    // 1 + 2, returned: Push, Push, Add, Ret.
    VmWorld& w = VmWorld::get();
    TRTTI* cls = w.makeClass("DebugWindowGame" + std::to_string(++classes), w.objectClass);
    CodeBuilder code;
    code.pushInt(1).pushInt(2).op(vm::Op_Add).op(vm::Op_Ret);
    w.addMethod(cls, "m", code);
    vm::TValue self = newObject(cls);
    process = vm::TProcess::Create(self, {}, "m");
    vm::setNull(self);
  }
  void TearDown() override {
    hostState().closing = false;
    playerHosts().setDebugger(nullptr);
    vm::runtime().debugStepBudget = vm::kUnlimitedSteps;
    delete process;
    if (const char* dir = std::getenv("ZUNKA_SAVE_PICTURES"))
      platform::writeFile(platform::systemPath(std::string(dir) + "/debug_window.png"),
                          platform::encodePng(window->picture()));
    window.reset();
    host.reset();
    if (savedDriver.empty())
      unsetenv("SDL_VIDEODRIVER");
    else
      setenv("SDL_VIDEODRIVER", savedDriver.c_str(), 1);
  }
  // Stops the game before its first instruction and runs it.
  void runStopped() {
    debugger.breakNow();
    vm::Run(process, 0);
  }
  std::string result() const {
    std::vector<std::string> lines;
    process->DumpStack(lines);
    return lines.back();
  }

  static inline int classes = 0;
  std::string savedDriver;
  std::unique_ptr<platform::HostPlatform> host;
  std::unique_ptr<ScriptedPump> pump;
  Debugger debugger{hostState()};
  std::unique_ptr<DebugWindow> window;
  std::unique_ptr<Watching> watching;
  vm::TProcess* process = nullptr;
};

TEST_F(DebugWindowTest, StepThenRunFromTheToolbar) {
  pump->steps = {[&] { click(window->boxOf(Control::Step)); },
                 [&] { click(window->boxOf(Control::Run)); }};
  runStopped();
  EXPECT_EQ(watching->marks, (std::vector<int32_t>{0, 1}));  // one instruction per press
  EXPECT_TRUE(process->halted);
  EXPECT_EQ(result(), "3");
  // The listing was drawn: dark text on the code view's paper, the next
  // instruction's row in the marking colour.
  const ListView& code = window->shown(View::Code);
  EXPECT_EQ(code.lines().size(), 4u);
  const platform::Image& picture = window->picture();
  int32_t inked = 0, marked = 0;
  for (int32_t y = code.rowTop(0); y < code.rowTop(4); ++y)
    for (int32_t x = code.box().left + 1; x < code.box().right - 1; ++x) {
      uint32_t pixel = picture.pixels[size_t(y) * size_t(picture.width) + size_t(x)];
      inked += (pixel & 0xFFFFFF) < 0x404040;
      marked += pixel == 0xFFFFE880u;
    }
  EXPECT_GT(inked, 50);
  EXPECT_GT(marked, 50);
}

TEST_F(DebugWindowTest, AListedAddressIsRunToFromItsBox) {
  // A press on the Add line puts its address in the box; まで実行 runs to it.
  pump->steps = {[&] {
                   const ListView& code = window->shown(View::Code);
                   click(code.box().left + 20, code.rowTop(2) + 2);
                 },
                 [&] { click(window->boxOf(Control::RunTo)); },
                 [&] { click(window->boxOf(Control::Run)); }};
  runStopped();
  EXPECT_EQ(watching->marks, (std::vector<int32_t>{0, 2}));
  EXPECT_EQ(window->editText(DebugWindow::Edit::Address),
            "$" + window->shown(View::Code).lines()[2].substr(0, 8));
  EXPECT_EQ(result(), "3");
}

TEST_F(DebugWindowTest, ClosingTheWindowWhileStoppedLetsTheGameGoOn) {
  pump->steps = {[&] {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = windowId();
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&e);
  }};
  runStopped();
  EXPECT_EQ(watching->marks.size(), 1u);
  EXPECT_TRUE(process->halted);
}

TEST_F(DebugWindowTest, ClosingThePlayerWhileStoppedEndsTheWaitWithTheGameStillStopped) {
  pump->steps = {[&] { hostState().closing = true; }};
  runStopped();
  hostState().closing = false;
  EXPECT_FALSE(process->halted);  // the run ended where it stood
  EXPECT_EQ(vm::runtime().debugStepBudget, 0);
}

}  // namespace
