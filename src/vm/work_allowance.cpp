#include "vm/work_allowance.h"

#include <algorithm>
#include <cassert>

#include "vm/process.h"

namespace zunka::vm {

int64_t WorkAllowance::left() const {
  int64_t used = charged_;
  // A slice's `slice - avail` is what it executed so far (a yield or stop takes
  // the unused part off both).
  for (const TProcess* p : inProgress_) used += std::max(0, p->slice - p->avail);
  return kWorkPerHostRun - used;
}

void WorkAllowance::enterRun() {
  if (depth_++ == 0) {
    charged_ = 0;
    inProgress_.clear();
  }
}

void WorkAllowance::leaveRun() {
  assert(depth_ > 0);
  --depth_;
}

void WorkAllowance::sliceStarted(TProcess* p) {
  inProgress_.push_back(p);
}

void WorkAllowance::sliceFinished(TProcess* p) {
  assert(!inProgress_.empty() && inProgress_.back() == p);
  inProgress_.pop_back();
  charged_ += std::max(0, p->slice);
}

}  // namespace zunka::vm
