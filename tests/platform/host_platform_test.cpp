#include <gtest/gtest.h>

#include <algorithm>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/headless_idle_loop.h"
#include "platform/host_path.h"
#include "platform/host_platform.h"

#include <SDL.h>
#include "platform/virtual_clock.h"

using namespace zunka::platform;

namespace {

TEST(HeadlessIdleLoop, EveryCallFindsExactlyOneIntervalMoreOnTheClock) {
  VirtualClock clock(500);
  int interval = 17;
  HeadlessIdleLoop loop(clock, [&] { return interval; });
  std::vector<double> seen;
  loop.run([&](bool&) {
    seen.push_back(clock.milliseconds());
    clock.sleep(100);  // sleeping does not move a virtual clock
    if (seen.size() == 2) interval = 10;
    if (seen.size() == 4) loop.quit();
  });
  EXPECT_EQ(seen, (std::vector<double>{517, 534, 544, 554}));
  EXPECT_TRUE(loop.quitRequested());
}

TEST(HostPlatform, HeadlessHasNoWindowNoSoundAndConsoleBoxes) {
  PlatformOptions options;
  options.headless = true;
  auto host = openHostPlatform(options);
  EXPECT_TRUE(host->headless());
  EXPECT_FALSE(host->soundAvailable());
  EXPECT_TRUE(host->messageBoxes().isConsole());
  EXPECT_TRUE(host->window().isActive());
  EXPECT_EQ(host->window().clientWidth(), 560);
  testing::internal::CaptureStderr();
  host->messageBoxes().show("\x95\x5C\x8E\xA6", "caption");  // "表示" in Shift_JIS
  EXPECT_EQ(testing::internal::GetCapturedStderr(), reinterpret_cast<const char*>(u8"表示\n"));
}

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value, 1);
  }
  ~ScopedEnv() {
    if (old_.empty())
      unsetenv(name_);
    else
      setenv(name_, old_.c_str(), 1);
  }

 private:
  const char* name_;
  std::string old_;
};

TEST(HostPlatform, SdlWindowWithTheDummyDriver) {
  ScopedEnv video("SDL_VIDEODRIVER", "dummy");
  ScopedEnv audio("SDL_AUDIODRIVER", "dummy");
  auto host = openHostPlatform(PlatformOptions{});
  ASSERT_FALSE(host->headless());
  EXPECT_FALSE(host->messageBoxes().isConsole());
  EXPECT_EQ(host->window().clientWidth(), 560);
  EXPECT_EQ(host->window().clientHeight(), 400);
  host->window().paintBlank();
  host->window().showLoadingBar(280, 0xD0E0A3);
  host->window().hideLoadingBar();
  host->window().setTitle("Zunka System");
  host->messagePump().pumpMessages();
  int calls = 0;
  host->idleLoop().run([&](bool& done) {
    done = ++calls % 2 == 0;  // idle calls with nothing to do wait briefly
    if (calls == 4) host->idleLoop().quit();
  });
  EXPECT_EQ(calls, 4);
}

// Collects what the window reports.
struct CollectingSink : InputSink {
  void deliver(const InputEvent& event) override { events.push_back(event); }
  std::vector<InputEvent> events;
};

TEST(HostPlatform, TheSdlWindowShowsPicturesAtAScaleAndReportsWhatTheUserDoes) {
  ScopedEnv video("SDL_VIDEODRIVER", "dummy");
  auto host = openHostPlatform(PlatformOptions{});
  ASSERT_FALSE(host->headless());
  HostWindow& window = host->window();
  Image picture;
  picture.width = 560;
  picture.height = 400;
  picture.pixels.assign(560 * 400, 0xFF336699u);
  window.present(picture);
  window.setScale(3);
  EXPECT_EQ(window.scale(), 3);
  EXPECT_EQ(window.clientWidth(), 560);  // the client area keeps its size in pixels
  window.setClientSize(320, 259);
  EXPECT_EQ(window.clientHeight(), 259);
  window.setScale(9);
  EXPECT_EQ(window.scale(), 4);
  window.setFullScreen(true);
  window.setFullScreen(false);
  window.present(picture);  // a picture of another size makes a new texture

  CollectingSink sink;
  host->setInputSink(&sink);
  SDL_Event key{};
  key.type = SDL_KEYDOWN;
  key.key.keysym.scancode = SDL_SCANCODE_LSHIFT;
  SDL_PushEvent(&key);
  key.key.keysym.scancode = SDL_SCANCODE_A;
  key.key.repeat = 1;  // held keys are counted by frames, not by repeats
  SDL_PushEvent(&key);
  SDL_Event click{};
  click.type = SDL_MOUSEBUTTONDOWN;
  click.button.button = SDL_BUTTON_RIGHT;
  click.button.x = 12;
  click.button.y = 34;
  SDL_PushEvent(&click);
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  host->messagePump().pumpMessages();
  host->setInputSink(nullptr);
  std::vector<InputEvent::Kind> kinds;
  for (const InputEvent& e : sink.events)
    if (e.kind != InputEvent::Kind::Exposed && e.kind != InputEvent::Kind::Focus &&
        e.kind != InputEvent::Kind::Moved && e.kind != InputEvent::Kind::MouseMove)
      kinds.push_back(e.kind);
  ASSERT_EQ(kinds,
            (std::vector<InputEvent::Kind>{InputEvent::Kind::Key, InputEvent::Kind::MouseDown,
                                           InputEvent::Kind::Close}));
  for (const InputEvent& e : sink.events) {
    if (e.kind == InputEvent::Kind::Key) {
      EXPECT_EQ(e.vk, 0xA0);  // the left Shift
      EXPECT_TRUE(e.down);
    }
    if (e.kind == InputEvent::Kind::MouseDown) {
      EXPECT_TRUE(e.right);
    }
  }
  EXPECT_FALSE(host->idleLoop().quitRequested());  // closing is the player's to decide
}

// Events carry the window they happened in: a tool window's go to its own sink,
// with key repeats and the wheel; its close box is its own, not the player's.
TEST(HostPlatform, AToolWindowHearsOnlyWhatHappensInIt) {
  ScopedEnv video("SDL_VIDEODRIVER", "dummy");
  auto host = openHostPlatform(PlatformOptions{});
  ASSERT_FALSE(host->headless());
  std::unique_ptr<ToolWindow> tool = host->openToolWindow("tool", 640, 480);
  ASSERT_NE(tool, nullptr);
  EXPECT_FALSE(tool->visible());
  tool->show();
  EXPECT_TRUE(tool->visible());
  EXPECT_GE(tool->pixelScale(), 1);
  Image picture;
  picture.width = tool->clientWidth();
  picture.height = tool->clientHeight();
  picture.pixels.assign(size_t(picture.width) * size_t(picture.height), 0xFF808080u);
  tool->present(picture);

  CollectingSink game, tools;
  host->setInputSink(&game);
  tool->setInputSink(&tools);
  Uint32 toolId = 0;
  for (Uint32 id = 1; id < 16 && !toolId; ++id)
    if (SDL_Window* w = SDL_GetWindowFromID(id); w && std::string(SDL_GetWindowTitle(w)) == "tool")
      toolId = id;
  ASSERT_NE(toolId, 0u);
  SDL_Event key{};
  key.type = SDL_KEYDOWN;
  key.key.windowID = toolId;
  key.key.repeat = 1;
  key.key.keysym.scancode = SDL_SCANCODE_BACKSPACE;
  SDL_PushEvent(&key);
  SDL_Event wheel{};
  wheel.type = SDL_MOUSEWHEEL;
  wheel.wheel.windowID = toolId;
  wheel.wheel.y = -2;
  SDL_PushEvent(&wheel);
  SDL_Event resized{};
  resized.type = SDL_WINDOWEVENT;
  resized.window.windowID = toolId;
  resized.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
  resized.window.data1 = 700;
  resized.window.data2 = 500;
  SDL_PushEvent(&resized);
  SDL_Event close = resized;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  SDL_PushEvent(&close);
  SDL_Event gameClick{};
  gameClick.type = SDL_MOUSEBUTTONDOWN;
  gameClick.button.windowID = toolId + 100;  // some other window: the game's sink
  gameClick.button.button = SDL_BUTTON_LEFT;
  SDL_PushEvent(&gameClick);
  host->messagePump().pumpMessages();

  auto kindsOf = [](const CollectingSink& sink) {
    std::vector<InputEvent::Kind> kinds;
    for (const InputEvent& e : sink.events)
      if (e.kind != InputEvent::Kind::Exposed && e.kind != InputEvent::Kind::Focus &&
          e.kind != InputEvent::Kind::Moved && e.kind != InputEvent::Kind::MouseMove)
        kinds.push_back(e.kind);
    return kinds;
  };
  EXPECT_EQ(kindsOf(tools),
            (std::vector<InputEvent::Kind>{InputEvent::Kind::Key, InputEvent::Kind::Wheel,
                                           InputEvent::Kind::Resized, InputEvent::Kind::Close}));
  EXPECT_EQ(kindsOf(game), std::vector<InputEvent::Kind>{InputEvent::Kind::MouseDown});
  for (const InputEvent& e : tools.events) {
    if (e.kind == InputEvent::Kind::Key) {
      EXPECT_TRUE(e.repeat && e.down && e.vk == 0x08);
    }
    if (e.kind == InputEvent::Kind::Wheel) {
      EXPECT_EQ(e.y, -2);
    }
  }
  EXPECT_EQ(tool->clientWidth(), 700);
  EXPECT_EQ(tool->clientHeight(), 500);
  EXPECT_FALSE(host->idleLoop().quitRequested());
  host->setInputSink(nullptr);
  tool.reset();  // it leaves the event loop with it
  SDL_PushEvent(&wheel);
  host->messagePump().pumpMessages();  // an event of a window gone goes to nobody's harm
}

// A real window on a real display, when there is one.
TEST(HostPlatform, OpensARealWindowWhenADisplayIsPresent) {
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
    GTEST_SKIP() << "no display";
  }
  ScopedEnv video("SDL_VIDEODRIVER", std::getenv("WAYLAND_DISPLAY") ? "wayland" : "x11");
  auto host = openHostPlatform(PlatformOptions{});
  ASSERT_FALSE(host->headless());
  Image picture;
  picture.width = 560;
  picture.height = 400;
  picture.pixels.assign(560 * 400, 0xFFFFFFFFu);
  host->window().present(picture);
  host->messagePump().pumpMessages();
}

TEST(HostPlatform, WindowThatCannotOpenFallsBackToHeadlessWithANote) {
  ScopedEnv video("SDL_VIDEODRIVER", "no-such-driver");
  testing::internal::CaptureStderr();
  auto host = openHostPlatform(PlatformOptions{});
  std::string note = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(host->headless());
  // One line that says what happens and what to do.
  EXPECT_NE(note.find("playing headless"), std::string::npos) << note;
  EXPECT_NE(note.find("--headless"), std::string::npos) << note;
  EXPECT_EQ(std::count(note.begin(), note.end(), '\n'), 1) << note;
}

}  // namespace
