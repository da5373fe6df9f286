#include <gtest/gtest.h>

#include <cstdlib>
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
  EXPECT_NE(note.find("running headless"), std::string::npos);
}

}  // namespace
