#include "vm/process.h"

#include "vm/class_object.h"
#include "vm/collector.h"
#include "vm/errors.h"
#include "vm/function.h"
#include "vm/host_handles.h"
#include "vm/live_counters.h"
#include "vm/runtime.h"

namespace zunka::vm {

TProcess::TProcess() : HostObject(HostKind::Process) {
  ++liveCounters().processes;
}

namespace {

TNormalFunction* entryFunction(ClassObject* cls, std::string_view method) {
  if (method.empty()) return nullptr;
  if (method == "constructor") return cls ? cls->Constructor() : nullptr;
  if (method == "destructor") return cls ? cls->Destructor() : nullptr;
  TFunction* f = cls ? cls->FindMethodByName(method) : nullptr;
  if (!f) throw ERuntimeError("メソッド" + std::string(method) + "は未定義です");
  if (f->isNative()) throw ERuntimeError("Native関数" + std::string(method) + "は呼び出せません");
  return static_cast<TNormalFunction*>(f);
}

}  // namespace

TProcess* TProcess::Create(const TValue& self, const std::vector<TValue>& args,
                           std::string_view method) {
  initializeRuntime();
  return CreateCalling(self, args, entryFunction(classOf(objectOf(self)), method));
}

TProcess* TProcess::CreateCalling(const TValue& self, const std::vector<TValue>& args,
                                  TNormalFunction* function) {
  initializeRuntime();
  ClassObject* cls = classOf(objectOf(self));
  const uint32_t argc = static_cast<uint32_t>(args.size());
  // The bottom frame needs the this slot, the arguments, its record and the margin.
  if (8 * (argc + 1) + sizeof(FrameRecord) + kCallMargin > kStackBytes)
    throw ERuntimeError("スタックオーバーフロー");

  // The stack first: when the heap refuses it, no half-made process is left.
  Ref stack = Arena::allocate(kStackBytes);
  auto* p = new TProcess();
  p->stack = stack;
  ++liveCounters().stacks;
  p->thisSlot = p->stack + kStackBytes - 8;
  p->fp = p->stack + 976 - 8 * argc;
  FrameRecord* r = p->frame(p->fp);
  *r = FrameRecord{function ? function->handle() : 0, 0, int32_t(argc), p->thisSlot, 0, {0, 0, 0}};
  assign(*p->thisValue(), &self);
  for (uint32_t i = 0; i < argc; ++i) assign(*valueAt(p->thisSlot - 8 * (i + 1)), &args[i]);

  if (!function) {
    p->sp = p->fp + 8;
    if (cls && cls->classCode) {
      cls->classCode->ensureQuickForm();
      p->pc = cls->classCode->code();
    } else {
      p->halted = 1;  // nothing to run
    }
    return p;
  }
  int64_t locals = function->localCount();
  int64_t newSp = int64_t(p->fp) + 8 - 8 * locals;
  if (newSp < int64_t(p->stack) + kCallMargin) {
    delete p;
    throw ERuntimeError("スタックオーバーフロー");
  }
  for (int64_t i = 0; i < locals; ++i) *valueAt(p->fp - 8 * uint32_t(i)) = TValue{};
  p->sp = static_cast<Ref>(newSp);
  if (function->code) {
    function->code->ensureQuickForm();
    p->pc = function->code->code();
  } else {
    p->halted = 1;
  }
  return p;
}

TProcess::~TProcess() {
  Kill();
  Arena::release(stack, kStackBytes);
  --liveCounters().stacks;
  --liveCounters().processes;
}

void TProcess::Yield() {
  yieldFlag = 1;
  slice -= avail;
  avail = 0;
}

void TProcess::EndSlice() {
  sliceEnded = 1;
  slice -= avail;
  avail = 0;
}

void TProcess::Stop() {
  halted = 1;
  slice -= avail;
  avail = 0;
}

void TProcess::Kill() {
  if (released) return;
  Stop();
  std::vector<TValue> values;
  forEachStackValue([&](TValue& v) {
    values.push_back(v);
    v = TValue{};
  });
  if (resultSlot) {
    values.push_back(*valueAt(resultSlot));
    *valueAt(resultSlot) = TValue{};
  }
  released = 1;
  for (TValue& v : values) {
    try {
      release(v);
    } catch (const EError&) {
      // One broken count must not keep the rest of the stack alive.
    }
  }
}

void TProcess::Destroy() {
  if (running) {
    Kill();
    destroyPending = true;
    return;
  }
  delete this;
}

void TProcess::MarkStack() const {
  // Marking runs gc_mark hooks, which may kill or free this very process: the
  // values are copied out before the first one is marked.
  std::vector<TValue> values;
  forEachStackValue([&](const TValue& v) { values.push_back(v); });
  if (resultSlot) values.push_back(*valueAt(resultSlot));
  for (const TValue& v : values) MarkValue(v);
}

void TProcess::DumpStack(std::vector<std::string>& lines) const {
  if (released) return;
  Ref from = sp;
  for (Ref f = fp, below = 0; f != 0 && f > below && f >= stack && f + 40 <= stack + kStackBytes;) {
    below = f;
    const FrameRecord* r = frame(f);
    lines.push_back("stacks");
    for (Ref v = from; v <= f; v += 8) lines.push_back(toText(*valueAt(v)));
    lines.push_back("args/this " + std::to_string(r->argc));
    for (int32_t i = r->argc; i >= 0; --i) lines.push_back(toText(*valueAt(r->thisSlot - 8 * i)));
    from = r->thisSlot + 8;
    f = r->callerFrame;
  }
  lines.push_back("-----------");
  lines.push_back(toText(*valueAt(stack + kStackBytes - 8)));
}

TNormalFunction* TProcess::currentFunction() const {
  if (!fp) return nullptr;
  return hostAs<TNormalFunction>(frame(fp)->function);
}

bool RunToCompletion(const TValue& self, std::string_view method) {
  TProcess* p = TProcess::Create(self, {}, method);
  uint32_t handle = p->handle();
  int32_t savedBudget = runtime().debugStepBudget;
  runtime().debugStepBudget = kUnlimitedSteps;
  Run(p, kUnlimitedSteps);
  runtime().debugStepBudget = savedBudget;
  // The script may have destroyed the process itself meanwhile: it ended then.
  TProcess* q = hostAs<TProcess>(handle);
  if (!q) return true;
  bool finished = q->halted && q->state == 0;
  q->Destroy();
  return finished;
}

}  // namespace zunka::vm
