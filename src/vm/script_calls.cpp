#include "vm/script_calls.h"

#include "vm/class_object.h"
#include "vm/console.h"
#include "vm/host_handles.h"
#include "vm/process.h"
#include "vm/runtime.h"

namespace zunka::vm {

RunOutcome RunUntilHalted(TProcess* p, int32_t maxRuns) {
  uint32_t handle = p->handle();
  int32_t savedBudget = runtime().debugStepBudget;
  bool savedPreempted = runtime().preempted;
  runtime().debugStepBudget = kUnlimitedSteps;
  for (int32_t runs = 0; TProcess* q = hostAs<TProcess>(handle); ++runs) {
    if (q->halted) break;
    // Nested in a run whose allowance is spent, the script cannot go on in this
    // turn: waiting for it would spin.
    if ((maxRuns > 0 && runs == maxRuns) || runtime().work.spent()) {
      LogError("スクリプトが終わりません", Trace(q), true);
      q->state = 2;
      q->Kill();
      break;
    }
    Run(q, kUnlimitedSteps);
  }
  runtime().debugStepBudget = savedBudget;
  runtime().preempted = savedPreempted;
  RunOutcome outcome;
  if (TProcess* q = hostAs<TProcess>(handle)) {
    outcome.state = q->state;
    if (q->state == 0 && q->resultSlot) assign(outcome.result, valueAt(q->resultSlot));
    q->Destroy();
  }
  return outcome;
}

TValue callMethod(const TValue& self, std::string_view method, const std::vector<TValue>& args) {
  return RunUntilHalted(TProcess::Create(self, args, method), kHostScriptRuns).result;
}

TValue constructObject(ClassObject* cls, const std::vector<TValue>& args) {
  TValue object = TValue::ofRef(vtObject, cls->NewInstance());
  retain(object);
  if (cls->Constructor()) {
    TValue result = callMethod(object, "constructor", args);
    release(result);
  }
  return object;
}

}  // namespace zunka::vm
