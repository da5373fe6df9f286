#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vm/arena.h"
#include "vm/console.h"
#include "vm/host_object.h"
#include "vm/value.h"

namespace zunka::vm {

class TNormalFunction;

// A call frame's record: eight words just above the frame's local 0.
struct FrameRecord {
  uint32_t function;  // host handle of the called function, 0 for main code
  Ref returnAddress;  // 0 in the bottom frame
  int32_t argc;
  Ref thisSlot;
  Ref callerFrame;  // 0 in the bottom frame
  uint32_t position[3];
};
static_assert(sizeof(FrameRecord) == 32);

// One thread of script execution: a private 1024-byte stack in the value arena, a
// chain of frames on it, and the interpreter registers. Processes are cooperative:
// a run ends when its step budget is spent, it yields, halts or fails.
class TProcess : public HostObject {
 public:
  static constexpr HostKind kHostKind = HostKind::Process;
  static constexpr uint32_t kStackBytes = 1024;
  // Calls and pushes keep this much room above the stack's low end.
  static constexpr uint32_t kCallMargin = 100;

  // A process on `self` (an object value) with `args`, starting at the method
  // `method`: empty for the class's main code, "constructor", "destructor", or a
  // method name. Raises "メソッド" + name + "は未定義です" for an unknown name.
  static TProcess* Create(const TValue& self, const std::vector<TValue>& args,
                          std::string_view method);
  // The same with the function given (nullptr: the main code of self's class).
  // The function need not be one of self's class: its code reaches members and
  // methods by slot and index, which the interpreter checks against the object
  // it meets (the debugger runs a subclass's method on a stopped object so).
  static TProcess* CreateCalling(const TValue& self, const std::vector<TValue>& args,
                                 TNormalFunction* function);
  ~TProcess() override;  // Destroy: kill, free the stack
  const char* hostClassName() const override { return "TProcess"; }

  void Yield();
  void Stop();
  // Ends the current slice without yielding, so the debugger's pause can run.
  void EndSlice();
  void Kill();  // stops and releases every value on the stack, once
  // Destroys the process, or, while a run of it is still on the host's call
  // stack, kills it now and destroys it when that run returns.
  void Destroy();
  void DumpStack(std::vector<std::string>& lines) const;
  // Visits every value of the stack walk (innermost frame first).
  template <class F>
  void forEachStackValue(F&& visit) const;
  // Marks, for the collector, every value the stack walk reaches.
  void MarkStack() const;

  FrameRecord* frame(Ref fp) const { return Arena::at<FrameRecord>(fp + 8); }
  bool hasFrame() const { return fp != 0; }
  TValue* thisValue() const { return valueAt(thisSlot); }
  // The function of the innermost frame, or nullptr in main code.
  TNormalFunction* currentFunction() const;

  int32_t avail = 0;
  int32_t slice = 0;
  uint8_t yieldFlag = 0;
  uint8_t halted = 0;
  uint8_t released = 0;
  uint8_t state = 0;  // 2 after a run-time error
  Ref fp = 0;
  Ref sp = 0;
  Ref thisSlot = 0;
  Ref pc = 0;
  Ref stack = 0;
  Ref resultSlot = 0;
  uint32_t position[3] = {0, 0, 0};
  uint8_t sliceEnded = 0;
  bool running = false;  // a run of this process is in progress
  bool destroyPending = false;

 private:
  TProcess();
};

// The stack top of the frame that a call of a function with `locals` locals
// builds below the caller's `target` slot and its `argc` arguments (the frame
// record takes the four slots under the last argument); nullptr when that frame
// would not keep the room a call needs. What entering a frame checks, for the
// calls that leave the frame out.
inline TValue* calleeStackTop(int32_t locals, TValue* target, uint32_t argc,
                              const TValue* stackLow) {
  TValue* const newSp = target - argc - 5 - (locals - 1);
  if (locals < 0 || reinterpret_cast<const std::byte*>(newSp) <
                        reinterpret_cast<const std::byte*>(stackLow) + TProcess::kCallMargin)
    return nullptr;
  return newSp;
}

// Runs a process for at most `steps` instructions (≤ 0 means 123456). Run-time
// errors end the process (state 2) and are reported; they never escape.
void Run(TProcess* p, int32_t steps);
// Reports a warning with the process's trace unless it repeats the last one.
void Warn(TProcess* p, const std::string& text);
TTraceList Trace(const TProcess* p);
// Creates a process on `self` for `method`, runs it once with a full budget, and
// destroys it (destructors, collector hooks). False when the method did not come
// to its end: it failed, suspended, ran out of steps, or could not start.
bool RunToCompletion(const TValue& self, std::string_view method);

template <class F>
void TProcess::forEachStackValue(F&& visit) const {
  if (released) return;
  Ref from = sp;
  // Frames lie at rising addresses inside the stack block; anything else ends the walk.
  for (Ref f = fp, below = 0; f != 0 && f > below && f >= stack && f + 40 <= stack + kStackBytes;) {
    below = f;
    const FrameRecord* r = frame(f);
    for (Ref v = from; v <= f; v += 8) visit(*valueAt(v));
    for (int32_t i = 0; i <= r->argc; ++i) visit(*valueAt(r->thisSlot - 8 * i));
    from = r->thisSlot + 8;
    f = r->callerFrame;
  }
}

}  // namespace zunka::vm
