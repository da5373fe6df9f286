#include "vm/waiting_destructors.h"

#include <algorithm>
#include <vector>

#include "vm/class_object.h"
#include "vm/collector.h"
#include "vm/runtime.h"

namespace zunka::vm {

bool DestructorMustWait() {
  return runtime().work.spent() || runtime().nestedRuns >= kMaxNestedRuns;
}

void WaitForDestructor(Ref record) {
  objectAt(record)->refCount = 1;  // the list's hold: the record is not reused
  runtime().waitingDestructors.push_back(record);
}

void RunWaitingDestructors() {
  Runtime& rt = runtime();
  if (rt.waitingDestructors.empty() || rt.runningWaitingDestructors || rt.nestedRuns > 0 ||
      rt.work.active())
    return;
  rt.runningWaitingDestructors = true;
  std::vector<Ref> batch;
  batch.swap(rt.waitingDestructors);
  // One allowance for the whole batch, as for any run the host starts: destructors
  // that themselves run away cannot make this call endless.
  rt.work.enterRun();
  size_t next = 0;
  for (; next < batch.size() && !DestructorMustWait(); ++next) {
    Ref record = batch[next];
    objectAt(record)->refCount = 0;
    DestroyObject(record, true);  // may wait again
  }
  rt.work.leaveRun();
  // The ones not reached keep their place ahead of those that began waiting meanwhile.
  rt.waitingDestructors.insert(rt.waitingDestructors.begin(), batch.begin() + long(next),
                               batch.end());
  rt.runningWaitingDestructors = false;
}

void StopWaitingFor(const ClassObject* cls) {
  std::vector<Ref>& waiting = runtime().waitingDestructors;
  auto gone = std::remove_if(waiting.begin(), waiting.end(), [cls](Ref record) {
    TfObject* o = objectAt(record);
    if (cls && classOf(o) != cls) return false;
    o->refCount = 0;
    if (ClassObject* c = classOf(o)) c->noteFree(record);
    return true;
  });
  waiting.erase(gone, waiting.end());
}

void MarkWaitingRecords() {
  // By index: a gc_mark hook may make more garbage wait.
  for (size_t i = 0; i < runtime().waitingDestructors.size(); ++i)
    MarkObject(runtime().waitingDestructors[i]);
}

}  // namespace zunka::vm
