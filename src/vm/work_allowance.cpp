#include "vm/work_allowance.h"

#include <algorithm>
#include <cassert>

#include "vm/process.h"

namespace zunka::vm {

namespace {

// What a slice executed so far: a yield or stop takes the unused part off both
// counts, so the difference stays exact.
int64_t done(const TProcess* p) {
  return std::max(0, p->slice - p->avail);
}

}  // namespace

int64_t WorkAllowance::left() const {
  int64_t used = charged_ + paused_;
  if (!inProgress_.empty()) used += done(inProgress_.back().process);
  return kWorkPerHostRun - used;
}

void WorkAllowance::enterRun() {
  if (depth_++ == 0) {
    charged_ = 0;
    paused_ = 0;
    inProgress_.clear();
  }
}

void WorkAllowance::leaveRun() {
  assert(depth_ > 0);
  --depth_;
}

void WorkAllowance::sliceStarted(TProcess* p) {
  if (!inProgress_.empty()) {
    Slice& outer = inProgress_.back();
    outer.doneWhenPaused = done(outer.process);
    paused_ += outer.doneWhenPaused;
  }
  inProgress_.push_back(Slice{p, 0});
}

void WorkAllowance::sliceFinished(TProcess* p) {
  assert(!inProgress_.empty() && inProgress_.back().process == p);
  inProgress_.pop_back();
  charged_ += std::max(0, p->slice);
  if (!inProgress_.empty()) paused_ -= inProgress_.back().doneWhenPaused;
}

}  // namespace zunka::vm
