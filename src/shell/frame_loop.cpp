#include "shell/frame_loop.h"

#include <algorithm>
#include <cassert>
#include <string>

#include "debug/time_analyzer.h"
#include "resources/project_state.h"
#include "resources/rtti.h"
#include "shell/shell_errors.h"
#include "shell/shell_state.h"
#include "vm/console.h"
#include "vm/runtime.h"

namespace zunka {
namespace {

// Time-analyser sections of the frame loop.
constexpr int kSectionBatch = 45;
constexpr int kSectionDraw = 46;
constexpr int kSectionRun = 47;

// While another application has the focus the game keeps running, but gives
// most of the processor away.
constexpr uint32_t kInactiveSleepMilliseconds = 100;

// Between frame boundaries the loop polls the clock. A bare yield would keep a
// processor core busy for a game that needs a fraction of it; a 1 ms nap when no
// frame was due costs at most a millisecond of lateness, and frames stay on the
// grid because the boundary moves by whole intervals.
constexpr uint32_t kWaitForBoundaryMilliseconds = 1;

// The ring shows one character per call; counts too large for a printable
// character (a long stall) show as the last one.
constexpr char kHighestDigit = '~';

// Clears a flag however the scope is left.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
};

// The source file of the class named by a process's position registers (set by
// the last Point instruction), or "".
std::string sourceOfPosition(const vm::TProcess* p) {
  if (!p) return {};
  const TRTTI* cls = TRTTI::FromClassHandle(p->position[0]);
  return cls ? cls->src : std::string();
}

}  // namespace

FrameLoop* playerFrameLoop() {
  return shellState().frameLoop;
}
void setPlayerFrameLoop(FrameLoop* loop) {
  shellState().frameLoop = loop;
}

void FrameLoop::setUp() {
  state_.clockBase = clock_.milliseconds();
  state_.inFrameLoop = false;
  state_.frameDigits = "0000000000";
  state_.ringPosition = 1;
}

bool FrameLoop::canRun() const {
  return state_.checkExec && !state_.debugHalt && state_.root() && !state_.inFrameLoop &&
         (!projectState().pauseWhenInactive || activation_.isActive());
}

void FrameLoop::Main(bool& done) {
  state_.applicationActive = activation_.isActive();
  if (state_.closing) {  // the window is going: no frame may run any more
    done = true;
    return;
  }
  if (!canRun()) {
    // Waiting does not build up frames: the clock restarts when running resumes.
    state_.clockBase = clock_.milliseconds();
    pause();
    done = true;
  } else {
    FlagScope guard(state_.inFrameLoop);
    try {
      runBatch();
    } catch (const std::exception& e) {
      reportError(e);
    }
    done = false;
  }
  pages_.processRequest();
  state_.preemptedLabel = vm::runtime().preempted ? "Preempted" : "not Preempted";
}

void FrameLoop::runBatch() {
  resume();
  vm::runtime().preempted = false;
  int32_t frames = 0;
  {
    TimeSection batch(kSectionBatch);
    frames = takeDueFrames();
    runFrames(frames);
    if (!projectState().runtimeErrorSeen) hosts_.sound().render();
  }
  if (!activation_.isActive()) clock_.sleep(kInactiveSleepMilliseconds);
  clock_.sleep(frames == 0 ? kWaitForBoundaryMilliseconds : 0);
  {
    TimeSection draw(kSectionDraw);
    if (projectState().drawFrame && !state_.drawingSuspended) {
      ++state_.drawCount;
      hosts_.screen().drawAll();
      hosts_.screen().present();
    }
  }
  std::string statistics = pages_.statisticsText();
  state_.debugCaption = "0:" + state_.frameDigits + statistics;
}

// Frames due since the last boundary. The boundary moves by whole intervals, so
// rounding never drifts; only then is the count bounded, and frames beyond the
// bound are dropped for good.
int32_t FrameLoop::takeDueFrames() {
  assert(state_.frameInterval > 0);
  double elapsed = clock_.milliseconds() - state_.clockBase;
  double intervals = std::min(elapsed / state_.frameInterval, 1e15);
  int64_t due = intervals > 0 ? static_cast<int64_t>(intervals) : 0;
  recordFrameDigit(due);
  state_.clockBase += static_cast<double>(due) * state_.frameInterval;
  int64_t most = std::min(std::max(state_.maxFramesPerBatch, 1), state_.framesBeforeInput);
  return static_cast<int32_t>(std::min<int64_t>(due, std::max<int64_t>(most, 0)));
}

void FrameLoop::recordFrameDigit(int64_t frames) {
  std::string& ring = state_.frameDigits;
  if (state_.ringPosition < 1 || state_.ringPosition > static_cast<int32_t>(ring.size()))
    state_.ringPosition = 1;
  ring[state_.ringPosition - 1] = static_cast<char>(std::min<int64_t>('0' + frames, kHighestDigit));
  if (++state_.ringPosition > static_cast<int32_t>(ring.size())) state_.ringPosition = 1;
}

void FrameLoop::runFrames(int32_t frames) {
  projectState().drawFrame = false;
  while (frames > 0) {
    projectState().drawFrame = frames == 1;
    if (projectState().drawFrame) {
      pages_.setDoDraw(1);
      hosts_.screen().clearSprites();
    } else {
      pages_.setDoDraw(0);
    }
    {
      TimeSection run(kSectionRun);
      // Looked up per frame: the previous frame's script may have destroyed it.
      if (vm::TProcess* root = state_.root()) vm::Run(root, kFrameStepBudget);
    }
    // A frame that ran counts, also when it asked for another page: a game that
    // asks every frame still reaches --frames N.
    ++state_.frameCount;
    if (pages_.hasRequest()) break;
    --frames;
    if (state_.closing) break;
  }
}

// The error path: one message, the loading window again, and the game goes on
// with the next batch (the auto-run box stays checked).
void FrameLoop::reportError(const std::exception& e) {
  projectState().runtimeErrorSeen = true;
  std::string text = std::string("実行時エラー:") + e.what();
  if (dynamic_cast<const EInvalidOperation*>(&e)) {
    state_.drawingSuspended = true;
    Log(text);
  } else {
    LogError(text, {}, true);
  }
  // A run restores the outer current process when it ends, so once the error
  // reaches this handler the root process is the one whose position is known.
  const vm::TProcess* p = vm::runtime().current ? vm::runtime().current : state_.root();
  hosts_.windows().showLoadingWindow(sourceOfPosition(p));
}

// Pause and resume belong to a running game: design mode sends neither.
void FrameLoop::pause() {
  if (projectState().designMode || state_.paused) return;
  state_.paused = true;
  pages_.evaluateSnippet(kPauseSnippet);
  redraw();
}

void FrameLoop::resume() {
  if (projectState().designMode || !state_.paused) return;
  state_.paused = false;
  pages_.evaluateSnippet(kResumeSnippet);
  redraw();
}

void FrameLoop::redraw() {
  if (state_.drawingSuspended) return;
  hosts_.screen().drawAll();
  hosts_.screen().present();
}

void FrameLoop::singleStep() {
  vm::runtime().preempted = false;
  vm::TProcess* root = state_.root();
  if (!root || stepping_) return;
  FlagScope underWay(stepping_);
  projectState().drawFrame = true;
  hosts_.screen().clearSprites();
  vm::Run(root, kFrameStepBudget);
  redraw();
}

}  // namespace zunka
