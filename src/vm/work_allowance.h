#pragma once
#include <cstdint>
#include <vector>

namespace zunka::vm {

class TProcess;

// The instructions one run started by the host may execute, counting every run
// nested inside it: child processes run by exec(), destructors, collector hooks,
// snippets that natives evaluate. Each nested run still gets its own step budget,
// but never more than what is left of the outermost run's allowance; once that is
// spent, nested runs do not start (an exec() returns at once and the child stays
// ready for its next turn) and the run that asked ends its slice after the
// instruction that started the nested run. So a frame always ends: processes that
// start processes without end can no longer multiply a frame's work.
//
// Sixteen full budgets (1,975,296 instructions) is far above what a game does in
// one frame, and a few milliseconds of interpretation: ordinary use of exec()
// never meets it.
inline constexpr int64_t kWorkPerHostRun = 16 * int64_t(123456);

class WorkAllowance {
 public:
  WorkAllowance() { inProgress_.reserve(200); }

  // True while a run started by the host is under way.
  bool active() const { return depth_ > 0; }
  // Instructions still allowed, counting the slices now in progress.
  int64_t left() const;
  bool spent() const { return active() && left() <= 0; }

  // Brackets one run; the outermost opens the allowance.
  void enterRun();
  void leaveRun();
  // Brackets one slice of `p`; its instructions are charged when it ends.
  void sliceStarted(TProcess* p);
  void sliceFinished(TProcess* p);

 private:
  struct Slice {
    TProcess* process;
    int64_t doneWhenPaused;  // its count when the next slice started
  };
  int32_t depth_ = 0;
  int64_t charged_ = 0;  // instructions of finished slices
  // Slices under way, outermost first. All but the innermost stand at the
  // instruction that started the next one, their registers saved: their counts
  // do not change until they go on, so their sum is kept, not recounted.
  std::vector<Slice> inProgress_;
  int64_t paused_ = 0;
};

}  // namespace zunka::vm
