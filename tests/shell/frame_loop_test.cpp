#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "debug/time_analyzer.h"
#include "platform/virtual_clock.h"
#include "resources/project_state.h"
#include "shell/frame_loop.h"
#include "shell/shell_errors.h"
#include "support/fake_hosts.h"
#include "support/vm_world.h"

using namespace zunka;
using namespace zunka::vm;
using namespace zunka::testing;

namespace {

struct FakeActivation : platform::Activation {
  bool active = true;
  bool isActive() const override { return active; }
};

// What the root process does in each frame, set by a test.
std::function<void()> onFrame;
int framesRun = 0;

void frameNative(TNativeFunction*, TValue*, int32_t, uint32_t) {
  ++framesRun;
  if (onFrame) onFrame();
  if (runtime().current) runtime().current->Yield();
}

// A class whose main code runs one frame per run: it calls the frame native,
// which yields, and loops.
TRTTI* frameClass() {
  static TRTTI* cls = [] {
    VmWorld& w = VmWorld::get();
    TRTTI* c = w.makeClass("FrameLoopRoot", w.objectClass);
    c->src = "usr\\FrameLoopRoot.zunka";
    TNativeFunction* frame = w.addNative(c, "frame", frameNative);
    CodeBuilder main;
    CodeBuilder::Label top;
    main.bind(top).pushThis().nativeCall(0, frame).op(Op_Pop).jump(Op_Jump, top);
    w.setMain(c, main, {&top});
    return c;
  }();
  return cls;
}

class FrameLoopTest : public ::testing::Test {
 protected:
  static constexpr double kStart = 1000;

  void SetUp() override {
    projectState() = ProjectState{};
    VmWorld::get().console.clear();
    onFrame = nullptr;
    framesRun = 0;
    hooks.onSetDoDraw = [this](int32_t v) { events.push_back("doDraw" + std::to_string(v)); };
    hooks.onClearSprites = [this] { events.push_back("clear"); };
    hooks.onDrawAll = [this] { events.push_back("draw"); };
    hooks.onRenderSound = [this] { ++soundRenders; };
    hooks.onEvaluateSnippet = [this](std::string_view s) { snippets.emplace_back(s); };
    hooks.onHasRequest = [this] { return requestPending; };
    hooks.onProcessRequest = [this] {
      if (requestPending) events.push_back("request");
      requestPending = false;
    };
    hooks.onShowLoadingWindow = [this](std::string_view caption) {
      loadingShown.emplace_back(caption);
    };
    loop.setUp();
    state.checkExec = true;
    projectState().designMode = false;
    self = newObject(frameClass());
    root = TProcess::Create(self, {}, "");
    vm::runtime().rootProcess = root->handle();
  }

  void TearDown() override {
    if (TProcess* p = state.root()) delete p;
    setNull(self);
    onFrame = nullptr;
  }

  // One idle call after the clock moved by `ms`.
  bool idleAfter(double ms) {
    clock.advance(ms);
    bool done = true;
    loop.Main(done);
    return done;
  }

  int count(const std::string& event) const {
    return static_cast<int>(std::count(events.begin(), events.end(), event));
  }

  HostState state;
  platform::VirtualClock clock{kStart};
  FakeActivation activation;
  FakeHosts hooks;
  FrameLoop loop{state, clock, activation, hooks, hooks.hosts};
  TValue self{};
  TProcess* root = nullptr;
  std::vector<std::string> events, snippets, loadingShown;
  int soundRenders = 0;
  bool requestPending = false;
};

TEST_F(FrameLoopTest, LessThanOneIntervalRunsNoFrameAndDrawsNothing) {
  EXPECT_FALSE(idleAfter(16.9));
  EXPECT_EQ(framesRun, 0);
  EXPECT_EQ(state.frameDigits, "0000000000");
  EXPECT_EQ(state.ringPosition, 2);
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(state.drawCount, 0);
  EXPECT_EQ(state.clockBase, kStart);
  EXPECT_EQ(soundRenders, 1);                // sound keeps playing between frames
  EXPECT_EQ(clock.sleptMilliseconds(), 1u);  // waits for the boundary without spinning
}

TEST_F(FrameLoopTest, TenOverdueIntervalsRunSevenFramesAndDrawOnlyTheLast) {
  hooks.onStatisticsText = [] { return std::string("// GC=0"); };
  EXPECT_FALSE(idleAfter(10 * 17 + 5));
  EXPECT_EQ(framesRun, 7);
  EXPECT_EQ(state.frameCount, 7);
  EXPECT_EQ(state.frameDigits, ":000000000");
  EXPECT_EQ(state.debugCaption, "0::000000000// GC=0");
  std::vector<std::string> expected(6, "doDraw0");
  expected.insert(expected.end(), {"doDraw1", "clear", "draw"});
  EXPECT_EQ(events, expected);
  EXPECT_EQ(state.drawCount, 1);
  // The boundary caught up by whole intervals: the three dropped frames are not
  // made up, and the 5 ms left over still count towards the next one.
  EXPECT_EQ(state.clockBase, kStart + 170);
  events.clear();
  EXPECT_FALSE(idleAfter(12));
  EXPECT_EQ(framesRun, 8);
  EXPECT_EQ(state.frameDigits, ":100000000");
}

TEST_F(FrameLoopTest, RingWrapsAfterTenCallsAndBatchSizeFollowsTheSettings) {
  state.maxFramesPerBatch = 2;
  state.frameInterval = 10;
  for (int call = 0; call < 10; ++call) idleAfter(call * 10);
  EXPECT_EQ(state.frameDigits, "0123456789");
  EXPECT_EQ(state.ringPosition, 1);
  EXPECT_EQ(framesRun, 0 + 1 + 2 * 8);
  idleAfter(10000);  // a long stall: shown as the highest mark, not a stray byte
  EXPECT_EQ(state.frameDigits[0], '~');
}

TEST_F(FrameLoopTest, UncheckingAutoRunPausesOnceAndResumingRunsNoBurst) {
  idleAfter(17);
  state.checkExec = false;
  for (int call = 0; call < 3; ++call) EXPECT_TRUE(idleAfter(500));
  EXPECT_EQ(snippets, std::vector<std::string>{FrameLoop::kPauseSnippet});
  EXPECT_TRUE(state.paused);
  EXPECT_EQ(framesRun, 1);
  state.checkExec = true;
  EXPECT_FALSE(idleAfter(17));
  EXPECT_EQ(snippets,
            (std::vector<std::string>{FrameLoop::kPauseSnippet, FrameLoop::kResumeSnippet}));
  EXPECT_EQ(framesRun, 2);  // 1.5 s of pause is not made up
  EXPECT_FALSE(idleAfter(17));
  EXPECT_EQ(snippets.size(), 2u);
}

TEST_F(FrameLoopTest, DesignModeSendsNoPauseNotifications) {
  projectState().designMode = true;
  state.checkExec = false;
  EXPECT_TRUE(idleAfter(17));
  state.checkExec = true;
  idleAfter(17);
  EXPECT_TRUE(snippets.empty());
}

TEST_F(FrameLoopTest, InactiveApplicationSleepsOrPausesAsTheProjectSays) {
  activation.active = false;
  idleAfter(17);
  EXPECT_EQ(framesRun, 1);
  EXPECT_EQ(clock.sleptMilliseconds(), 100u);
  EXPECT_EQ(clock.sleepCalls(), 2);
  projectState().pauseWhenInactive = true;
  EXPECT_TRUE(idleAfter(17));
  EXPECT_EQ(framesRun, 1);
  EXPECT_EQ(snippets, std::vector<std::string>{FrameLoop::kPauseSnippet});
  activation.active = true;
  idleAfter(17);
  EXPECT_EQ(framesRun, 2);
  EXPECT_EQ(snippets.size(), 2u);
}

TEST_F(FrameLoopTest, PageRequestInTheFirstFrameSkipsTheRestAndIsCarriedOutAtTheEnd) {
  onFrame = [this] { requestPending = true; };
  EXPECT_FALSE(idleAfter(3 * 17));
  EXPECT_EQ(framesRun, 1);
  EXPECT_EQ(events, (std::vector<std::string>{"doDraw0", "request"}));
  EXPECT_EQ(state.drawCount, 0);
  EXPECT_FALSE(requestPending);
}

TEST_F(FrameLoopTest, EscapingErrorShowsOneMessageAndTheGameGoesOn) {
  RecordingConsole& console = VmWorld::get().console;
  root->position[0] = frameClass()->handle();  // as the last Point instruction left it
  bool failDraw = true;
  hooks.onDrawAll = [&] {
    if (failDraw) throw EError("描画できません");
  };
  EXPECT_FALSE(idleAfter(17));
  EXPECT_EQ(console.errors, std::vector<std::string>{"実行時エラー:描画できません"});
  EXPECT_TRUE(console.lastTrace.empty());
  EXPECT_TRUE(projectState().runtimeErrorSeen);
  EXPECT_FALSE(state.inFrameLoop);
  EXPECT_TRUE(state.checkExec);
  EXPECT_EQ(loadingShown, std::vector<std::string>{"usr\\FrameLoopRoot.zunka"});
  failDraw = false;
  int rendersBefore = soundRenders;
  idleAfter(17);
  EXPECT_EQ(framesRun, 2);
  EXPECT_EQ(console.errors.size(), 1u);
  EXPECT_EQ(soundRenders, rendersBefore);  // no sound after an error until the next page
}

TEST_F(FrameLoopTest, InvalidOperationSuspendsDrawingWithoutAMessageBox) {
  RecordingConsole& console = VmWorld::get().console;
  hooks.onSetDoDraw = [](int32_t) { throw EInvalidOperation("surface lost"); };
  idleAfter(17);
  EXPECT_TRUE(console.errors.empty());
  EXPECT_EQ(console.logLines, std::vector<std::string>{"実行時エラー:surface lost"});
  EXPECT_TRUE(state.drawingSuspended);
  hooks.onSetDoDraw = nullptr;
  idleAfter(17);
  EXPECT_EQ(count("draw"), 0);
}

TEST_F(FrameLoopTest, ScriptErrorIsReportedByItsProcessAndLaterFramesStillRun) {
  onFrame = [] { throw EError("ゼロで割りました"); };
  idleAfter(17);
  RecordingConsole& console = VmWorld::get().console;
  ASSERT_EQ(console.errors.size(), 1u);
  EXPECT_EQ(console.errors[0], "ゼロで割りました");
  EXPECT_FALSE(projectState().runtimeErrorSeen);  // the process caught it, not the loop
  onFrame = nullptr;
  EXPECT_FALSE(idleAfter(17));  // the ended root process runs no more, the loop goes on
  EXPECT_EQ(framesRun, 1);
  EXPECT_EQ(state.frameCount, 2);
}

TEST_F(FrameLoopTest, NestedIdleCallPausesInsteadOfRunningAgain) {
  bool nestedDone = false;
  onFrame = [&] {
    onFrame = nullptr;
    loop.Main(nestedDone);  // a message box pumping messages inside a frame
  };
  idleAfter(17);
  EXPECT_TRUE(nestedDone);
  EXPECT_EQ(framesRun, 1);
  EXPECT_EQ(snippets, std::vector<std::string>{FrameLoop::kPauseSnippet});
  idleAfter(17);
  EXPECT_EQ(snippets.back(), FrameLoop::kResumeSnippet);
}

TEST_F(FrameLoopTest, RootProcessDestroyedByItsScriptEndsTheBatchSafely) {
  onFrame = [this] { root->Destroy(); };
  idleAfter(3 * 17);
  EXPECT_EQ(framesRun, 1);
  EXPECT_EQ(state.root(), nullptr);
  EXPECT_TRUE(idleAfter(17));  // nothing to run any more
}

TEST_F(FrameLoopTest, ExitDuringAFrameRunsNoFurtherFrame) {
  onFrame = [this] { state.closing = true; };
  idleAfter(3 * 17);
  EXPECT_EQ(framesRun, 1);
  EXPECT_TRUE(idleAfter(17));
  EXPECT_EQ(framesRun, 1);
  EXPECT_TRUE(snippets.empty());
}

TEST_F(FrameLoopTest, SingleStepRunsOnceAndDrawsButNeverNests) {
  projectState().drawFrame = false;
  onFrame = [this] { loop.singleStep(); };
  loop.singleStep();
  EXPECT_EQ(framesRun, 1);
  EXPECT_TRUE(projectState().drawFrame);
  EXPECT_EQ(events, (std::vector<std::string>{"clear", "draw"}));
}

TEST_F(FrameLoopTest, PreemptionIsShownAfterARunThatSpentItsBudget) {
  idleAfter(17);
  EXPECT_EQ(state.preemptedLabel, "not Preempted");
  TRTTI* spinner = VmWorld::get().makeClass("FrameLoopSpinner", VmWorld::get().objectClass);
  CodeBuilder main;
  CodeBuilder::Label top;
  main.bind(top).jump(Op_Jump, top);
  VmWorld::get().setMain(spinner, main, {&top});
  TValue spinSelf = newObject(spinner);
  TProcess* spin = TProcess::Create(spinSelf, {}, "");
  vm::runtime().rootProcess = spin->handle();
  idleAfter(17);
  EXPECT_EQ(state.preemptedLabel, "Preempted");
  delete spin;
  setNull(spinSelf);
  vm::runtime().rootProcess = root->handle();
}

TEST_F(FrameLoopTest, FrameSectionsAreTimedOncePerCall) {
  TTimeAnalyzer& analyzer = timeAnalyzer();
  analyzer.Reset();
  idleAfter(3 * 17);
  EXPECT_EQ(analyzer.passCount(45), 1);
  EXPECT_EQ(analyzer.passCount(46), 1);
  EXPECT_EQ(analyzer.passCount(47), 3);
  hooks.onDrawAll = [] { throw EError("x"); };
  idleAfter(17);
  hooks.onDrawAll = nullptr;
  idleAfter(17);
  // The failed call closed its section: the next call is counted again.
  EXPECT_EQ(analyzer.passCount(46), 3);
}

}  // namespace
