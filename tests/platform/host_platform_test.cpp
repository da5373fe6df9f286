#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/headless_idle_loop.h"
#include "platform/host_path.h"
#include "platform/host_platform.h"
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

TEST(HostPlatform, WindowThatCannotOpenFallsBackToHeadlessWithANote) {
  ScopedEnv video("SDL_VIDEODRIVER", "no-such-driver");
  testing::internal::CaptureStderr();
  auto host = openHostPlatform(PlatformOptions{});
  std::string note = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(host->headless());
  EXPECT_NE(note.find("running headless"), std::string::npos);
}

}  // namespace
