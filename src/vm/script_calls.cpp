#include "vm/script_calls.h"

#include "resources/rtti.h"
#include "vm/host_handles.h"
#include "vm/process.h"
#include "vm/runtime.h"

namespace zunka::vm {

namespace {

TValue runToEnd(TProcess* p) {
  uint32_t handle = p->handle();
  int32_t savedBudget = runtime.debugStepBudget;
  runtime.debugStepBudget = kUnlimitedSteps;
  while (TProcess* q = hostAs<TProcess>(handle)) {
    if (q->halted) break;
    Run(q, kUnlimitedSteps);
  }
  runtime.debugStepBudget = savedBudget;
  TValue result;
  if (TProcess* q = hostAs<TProcess>(handle)) {
    if (q->state == 0 && q->resultSlot) assign(result, valueAt(q->resultSlot));
    q->Destroy();
  }
  return result;
}

}  // namespace

TValue callMethod(const TValue& self, std::string_view method, const std::vector<TValue>& args) {
  return runToEnd(TProcess::Create(self, args, method));
}

TValue constructObject(TRTTI* cls, const std::vector<TValue>& args) {
  TValue object = TValue::ofRef(vtObject, cls->NewInstance());
  retain(object);
  if (cls->Constructor()) {
    TValue result = callMethod(object, "constructor", args);
    release(result);
  }
  return object;
}

}  // namespace zunka::vm
