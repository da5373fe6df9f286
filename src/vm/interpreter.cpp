#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

#include "vm/class_object.h"
#include "vm/errors.h"
#include "vm/forwarded_call.h"
#include "vm/function.h"
#include "vm/host_handles.h"
#include "vm/interpreter_ops.h"
#include "vm/method_cache.h"
#include "vm/opcodes.h"
#include "vm/process.h"
#include "vm/quick_code.h"
#include "vm/runtime.h"
#include "vm/tfstring.h"
#include "vm/value_list.h"
#include "vm/waiting_destructors.h"

// Dispatch is threaded through a table of label addresses where the compiler has
// them (GCC and Clang); elsewhere the same bodies sit in a switch.
#if defined(__GNUC__) && !defined(ZUNKA_PORTABLE_DISPATCH)
#define ZUNKA_COMPUTED_GOTO 1
#else
#define ZUNKA_COMPUTED_GOTO 0
#endif

#define LIKELY(x) __builtin_expect(!!(x), 1)
#define UNLIKELY(x) __builtin_expect(!!(x), 0)

namespace zunka::vm {
namespace {

using ops::raise;

inline TValue* cellAt(Ref r) {
  return valueAt(r);
}

constexpr const char* kBadMemberSlot = "メンバ変数の番号が正しくありません";

// Member `slot` of the object a value refers to; nullptr when the value is no live
// object or its class has no such slot (code compiled for another class).
inline TValue* memberCell(const TValue& v, uint32_t slot) {
  TfObject* o = objectOf(v);
  ClassObject* cls = classOfRecord(o);
  if (!cls || !cls->hasMemberSlot(slot)) return nullptr;
  return &o->members()[slot];
}
inline Ref refOf(const void* p) {
  return Arena::refOf(p);
}

// Superinstructions handle values as raw 64-bit words (the kind in the low
// byte, the payload in the high half): the compiler keeps those in registers,
// where TValue aggregates in a function this large end up on the stack.
using Bits = uint64_t;
inline Bits loadBits(const TValue* cell) {
  Bits v;
  std::memcpy(&v, cell, sizeof v);
  return v;
}
inline void storeBits(TValue* cell, Bits v) {
  std::memcpy(static_cast<void*>(cell), &v, sizeof v);
}
inline uint32_t kindOf(Bits v) {
  return uint32_t(v & 0xFF);
}
inline int32_t intOf(Bits v) {
  return int32_t(v >> 32);
}
inline Bits intBits(int32_t i) {
  return Bits(vtInt) | Bits(uint32_t(i)) << 32;
}
inline Bits floatBits(float f) {
  return Bits(vtFloat) | Bits(std::bit_cast<uint32_t>(f)) << 32;
}
inline bool bothInts(Bits a, Bits b) {
  return kindOf(a) == vtInt && kindOf(b) == vtInt;
}
inline float floatOf(Bits v) {
  return std::bit_cast<float>(uint32_t(v >> 32));
}
inline bool bothFloats(Bits a, Bits b) {
  return kindOf(a) == vtFloat && kindOf(b) == vtFloat;
}
inline bool isNumberBits(Bits v) {
  return kindOf(v) == vtInt || kindOf(v) == vtFloat;
}
inline double doubleOfBits(Bits v) {
  return kindOf(v) == vtInt ? double(intOf(v)) : double(floatOf(v));
}
// The value a Push instruction at `push` pushes.
inline Bits immediateBits(const uint32_t* push) {
  return Bits(push[1] & 0xFF) | Bits(push[2]) << 32;
}
// Where the jump instruction at `jump` goes: its offset counts bytes from itself.
inline uint32_t* jumpTarget(uint32_t* jump) {
  return reinterpret_cast<uint32_t*>(reinterpret_cast<std::byte*>(jump) + int32_t(jump[1]));
}
// retain() for a value held as a raw word.
inline void retainBits(Bits v) {
  if (kindOf(v) == vtObject && Arena::isObject(Ref(v >> 32))) ++objectAt(Ref(v >> 32))->refCount;
}
// Drops the reference a variable's old value holds when that has no side
// effects; false when it would free the object (a destructor must see the
// written instructions' state) or the value names no live object.
inline bool dropOldQuietly(TValue* cell) {
  const Bits old = loadBits(cell);
  if (kindOf(old) != vtObject) return true;
  const Ref ref = Ref(old >> 32);
  if (!Arena::isObject(ref) || objectAt(ref)->refCount <= 1) return false;
  --objectAt(ref)->refCount;
  return true;
}

#if ZUNKA_COMPUTED_GOTO
// A call of a method whose body is `return ARG op CONST;` or `return ARG op ARG;`
// (ArgValPtr_Deref, Push or ArgValPtr_Deref, ARITH and Ret, the first three one
// superinstruction), from the DCall or SCall at `target` (its `this`, an object
// of the method's class, below `argc` arguments): does what the written body and
// its Ret would do and leaves the value in the target slot, when nothing can go
// otherwise than the written code goes: integer operands, a frame that would
// fit, and no argument or `this` whose release could free it. False, with
// nothing done, otherwise. Out of line: in the dispatch loop its checks cost the
// other instructions registers.
[[gnu::noinline]] bool leafCall(const TNormalFunction* callee, TValue* target, uint32_t argc,
                                TfObject* self, const TValue* stackLow,
                                std::ptrdiff_t quickDistance) {
  const TCompiledInfo* code = callee->code.get();
  if (!code) return false;
  const uint32_t* body = code->words();
  const uint32_t quick =
      *reinterpret_cast<const uint32_t*>(reinterpret_cast<const std::byte*>(body) + quickDistance);
  const bool secondIsArgument = quick - qArgArgArithmetic < kQuickArithmetic;
  const uint32_t op = quick - (secondIsArgument ? qArgArgArithmetic : qArgConstArithmetic);
  if (op >= kQuickArithmetic || body[7] != Op_Ret || !self || self->refCount <= 1) return false;
  // The room enter_frame asks for.
  if (!calleeStackTop(callee->localCount(), target, argc, stackLow)) return false;
  Bits x;
  if (argc == 1 && body[1] == 0 && !secondIsArgument) {
    x = loadBits(target - 1);  // the only argument: no object once it is an integer
  } else {
    if (argc == 2) {  // a helper's two arguments, without a loop
      if (target[-1].kind == vtObject || target[-2].kind == vtObject) return false;
    } else {
      for (uint32_t i = 1; i <= argc; ++i)
        if (target[-int32_t(i)].kind == vtObject) return false;
    }
    x = body[1] < argc ? loadBits(target - 1 - body[1]) : Bits{0};
  }
  const Bits c = !secondIsArgument ? immediateBits(body + 3)
                 : body[4] < argc  ? loadBits(target - 1 - body[4])
                                   : Bits{0};
  if (!bothInts(x, c)) return false;
  const uint32_t a = uint32_t(intOf(x)), b = uint32_t(intOf(c));
  Bits result;
  switch (op) {
    case 0:
      result = intBits(int32_t(a + b));
      break;
    case 1:
      result = intBits(int32_t(a - b));
      break;
    case 2:
      result = intBits(int32_t(a * b));
      break;
    default:
      if (intOf(c) <= 0) return false;
      result = intBits(intOf(x) % intOf(c));
      break;
  }
  // Ret: the arguments go (none counted), then `this`; the value takes its slot.
  // (One or two arguments stored directly: GCC makes the loop a call of memset.)
  if (argc == 1) {
    storeBits(target - 1, 0);
  } else if (argc == 2) {
    storeBits(target - 1, 0);
    storeBits(target - 2, 0);
  } else {
    for (uint32_t i = 1; i <= argc; ++i) storeBits(target - i, 0);
  }
  --self->refCount;
  storeBits(target, result);
  return true;
}
#endif

// The interpreter's registers are plain locals of `execute` (so that the compiler
// keeps them in machine registers) and are written back to the process before
// anything that may look at them (natives, warnings, errors) and when the slice
// ends.
inline void save(TProcess* p, uint32_t* pc, TValue* sp, TValue* fp, TValue* self, int32_t avail) {
  p->pc = refOf(pc);
  p->sp = refOf(sp);
  p->fp = fp ? refOf(fp) : 0;
  p->thisSlot = refOf(self);
  p->avail = avail;
}

// Every release the dispatch loop makes goes through here: the common case inline,
// the last reference and errors out of line.
#define RELEASE(v)                                                             \
  do {                                                                         \
    TValue& rv_ = (v);                                                         \
    if (rv_.kind == vtObject) {                                                \
      if (LIKELY(Arena::isObject(rv_.ref) && objectAt(rv_.ref)->refCount > 1)) \
        --objectAt(rv_.ref)->refCount;                                         \
      else {                                                                   \
        SAVE();                                                                \
        releaseSlow(rv_);                                                      \
      }                                                                        \
    }                                                                          \
  } while (0)

// Lists the larger superinstruction families are spelled out from: M is
// invoked once per member, with the arguments given before the member's own.
#define QUICK_ARITHMETIC(M, ...) \
  M(__VA_ARGS__, Add, 0) M(__VA_ARGS__, Sub, 1) M(__VA_ARGS__, Mul, 2) M(__VA_ARGS__, Mod, 3)
// The same list again, for use inside an expansion of the first (a macro does
// not expand within its own expansion).
#define QUICK_ARITHMETIC_BELOW(M, ...) \
  M(__VA_ARGS__, Add, 0) M(__VA_ARGS__, Sub, 1) M(__VA_ARGS__, Mul, 2) M(__VA_ARGS__, Mod, 3)
#define QUICK_COMPARISONS(M, ...) \
  M(__VA_ARGS__, GT, >, 0)        \
  M(__VA_ARGS__, GTE, >=, 1)      \
  M(__VA_ARGS__, LT, <, 2)        \
  M(__VA_ARGS__, LTE, <=, 3) M(__VA_ARGS__, EQ, ==, 4) M(__VA_ARGS__, NEQ, !=, 5)
#define QUICK_SOURCES(M, ...) \
  M(__VA_ARGS__, qsLocal) M(__VA_ARGS__, qsConst) M(__VA_ARGS__, qsMember)
// (x, x index, y): x a local or a member, y any source.
#define QUICK_PAIRS(M, ...)            \
  M(__VA_ARGS__, qsLocal, 0, qsLocal)  \
  M(__VA_ARGS__, qsLocal, 0, qsConst)  \
  M(__VA_ARGS__, qsLocal, 0, qsMember) \
  M(__VA_ARGS__, qsMember, 1, qsLocal) \
  M(__VA_ARGS__, qsMember, 1, qsConst) M(__VA_ARGS__, qsMember, 1, qsMember)
// M(x, x index, y, op, op index, below, below index)
#define PAIR_BELOW_EACH_BELOW(M, ...) QUICK_ARITHMETIC_BELOW(M, __VA_ARGS__)
#define PAIR_BELOW_EACH_OP(M, ...) QUICK_ARITHMETIC(PAIR_BELOW_EACH_BELOW, M, __VA_ARGS__)
#define FOR_EACH_PAIR_BELOW(M) QUICK_PAIRS(PAIR_BELOW_EACH_OP, M)
// M(y, op, op index, below, below index)
#define POINTER_VALUE_EACH_BELOW(M, ...) QUICK_ARITHMETIC_BELOW(M, __VA_ARGS__)
#define POINTER_VALUE_EACH_OP(M, ...) QUICK_ARITHMETIC(POINTER_VALUE_EACH_BELOW, M, __VA_ARGS__)
#define FOR_EACH_POINTER_VALUE_PAIR_BELOW(M) QUICK_SOURCES(POINTER_VALUE_EACH_OP, M)
// M(name, sign, subtract, bound source, bound index, comparison, relation, index)
#define LOOP_STEP_EACH(M, ...) QUICK_COMPARISONS(M, __VA_ARGS__)
#define LOOP_STEP_EACH_BOUND(M, ...)               \
  LOOP_STEP_EACH(M, __VA_ARGS__, qsConst, qbConst) \
  LOOP_STEP_EACH(M, __VA_ARGS__, qsLocal, qbLocal) LOOP_STEP_EACH(M, __VA_ARGS__, qsArg, qbArg)
#define FOR_EACH_LOOP_STEP(M) \
  LOOP_STEP_EACH_BOUND(M, Add, +, false) LOOP_STEP_EACH_BOUND(M, Sub, -, true)
// M(source, op, op index)
#define ASSIGN_SOURCE_EACH_OP(M, ...) QUICK_ARITHMETIC(M, __VA_ARGS__)
#define FOR_EACH_ASSIGN_SOURCE(M) QUICK_SOURCES(ASSIGN_SOURCE_EACH_OP, M)
// M(op, op index, source, then, then index)
#define ARITH_ASSIGN_EACH_THEN(M, ...) QUICK_ARITHMETIC_BELOW(M, __VA_ARGS__)
#define ARITH_ASSIGN_EACH_SOURCE(M, ...) QUICK_SOURCES(ARITH_ASSIGN_EACH_THEN, M, __VA_ARGS__)
#define FOR_EACH_ARITH_ASSIGN_SOURCE(M) QUICK_ARITHMETIC(ARITH_ASSIGN_EACH_SOURCE, M)

// RELEASE for a value held as a raw word.
#define RELEASE_BITS(v)                                                \
  do {                                                                 \
    const Bits rb_ = (v);                                              \
    if (kindOf(rb_) == vtObject) {                                     \
      const Ref rr_ = Ref(rb_ >> 32);                                  \
      if (LIKELY(Arena::isObject(rr_) && objectAt(rr_)->refCount > 1)) \
        --objectAt(rr_)->refCount;                                     \
      else {                                                           \
        SAVE();                                                        \
        TValue rv_ = TValue::ofBits(rb_);                              \
        releaseSlow(rv_);                                              \
      }                                                                \
    }                                                                  \
  } while (0)

// On a cache line of its own: where the linker puts the dispatch loop (the boot
// order lays the program out anew as start-up code changes) must not move its jump
// targets across cache-line boundaries, which changes its speed by a few percent.
[[gnu::aligned(64)]] void execute(TProcess* p) {
  std::byte* const base = Arena::base();
  TValue* const stackLow = Arena::at<TValue>(p->stack);
  TValue* const stackEnd = stackLow + TProcess::kStackBytes / 8;
  uint32_t* pc = Arena::at<uint32_t>(p->pc);
  TValue* sp = cellAt(p->sp);
  TValue* fp = p->fp ? cellAt(p->fp) : nullptr;
  // The values from the stack's low end up to the frame pointer: the highest
  // local index the frame may name. Kept beside fp, which changes only at calls
  // and returns, so that local reads check against it without a subtraction.
  uint32_t frameSlots = fp ? uint32_t(fp - stackLow) : 0;
  TValue* self = cellAt(p->thisSlot);
  int32_t avail = p->avail;
  // What a call hands to enter_frame: the function, the target slot (this, then
  // the arguments below it), the argument count and the calling instruction's
  // length (calls and the superinstructions that end in one).
  TNormalFunction* callee;
  TValue* target;
  uint32_t argc;
  uint32_t words;
  (void)base;
  // NativeCall's operands, kept for its end (native_returned), which a forwarded
  // call may also reach.
  uint32_t nativeArgc;
  TValue* nativeTarget;

#define SAVE() save(p, pc, sp, fp, self, avail)
#define PC pc
#define SP sp
#define FP fp
#define SELF self
  // Room for n more values, else the process ends with a stack overflow.
#define NEED(n)                          \
  do {                                   \
    if (UNLIKELY(SP - (n) < stackLow)) { \
      SAVE();                            \
      ops::stackOverflow();              \
    }                                    \
  } while (0)
#define PUSH(v) (*--SP = (v))
  // Jump offsets count bytes from the jump instruction itself.
#define TAKE_JUMP() \
  (PC = reinterpret_cast<uint32_t*>(reinterpret_cast<std::byte*>(PC) + int32_t(PC[1])))
  // Ends the process with the error `text` unless `ok` holds.
#define CHECK(ok, text)    \
  do {                     \
    if (UNLIKELY(!(ok))) { \
      SAVE();              \
      raise(text);         \
    }                      \
  } while (0)
  // Ends the slice after the current instruction: the unused budget is given back.
#define END_SLICE()    \
  do {                 \
    p->slice -= avail; \
    avail = 0;         \
  } while (0)
  // Making a string or an object may finalise garbage, whose destructor may kill
  // this very process: its stack is then no longer ours, and it stops here.
#define STOP_IF_KILLED()         \
  do {                           \
    if (UNLIKELY(p->released)) { \
      avail = 0;                 \
      goto slice_done;           \
    }                            \
  } while (0)

#if ZUNKA_COMPUTED_GOTO
  // 64 entries, indexed by the low six bits: the codes past the set lead to the
  // bad-instruction exit. Code is checked when it is made or read back, so a
  // word at an instruction boundary is always one of the 49 codes.
  static void* const kDispatch[64] = {
#define ZUNKA_OPCODE_LABEL_ADDR(code, name, ...) &&L_##name,
      ZUNKA_OPCODES(ZUNKA_OPCODE_LABEL_ADDR)
#undef ZUNKA_OPCODE_LABEL_ADDR
          && bad_op,
      &&bad_op,
      &&bad_op,
      &&bad_op,
      &&bad_op,
      &&bad_op,
      &&bad_op,
      &&bad_op,
      &&bad_op,
      &&bad_op,
      &&bad_op,
      &&bad_op,
      &&bad_op,
      &&bad_op,
      &&bad_op,
  };
  static_assert(kOpcodeCount + 15 == 64);
  // The quick forms (quick_code.h), indexed by the word beside each instruction.
  static void* kQuick[kQuickTableSize];
  if (UNLIKELY(kQuick[0] == nullptr)) {
    for (void*& entry : kQuick) entry = &&bad_op;
    kQuick[0] = &&quick_none;
    for (uint32_t code = 0; code < kOpcodeCount; ++code) kQuick[code + 1] = kDispatch[code];
    kQuick[qSubstPop] = &&Q_SubstPop;
    kQuick[qAddLocal] = &&Q_AddLocal;
    kQuick[qSubLocal] = &&Q_SubLocal;
    kQuick[qAddMember] = &&Q_AddMember;
    kQuick[qSubMember] = &&Q_SubMember;
    kQuick[quickSourceArithmetic(qsLocal, 0)] = &&Q_SourceArith_qsLocal_Add;
    kQuick[quickSourceArithmetic(qsLocal, 1)] = &&Q_SourceArith_qsLocal_Sub;
    kQuick[quickSourceArithmetic(qsLocal, 2)] = &&Q_SourceArith_qsLocal_Mul;
    kQuick[quickSourceArithmetic(qsLocal, 3)] = &&Q_SourceArith_qsLocal_Mod;
    kQuick[quickSourceArithmetic(qsConst, 0)] = &&Q_SourceArith_qsConst_Add;
    kQuick[quickSourceArithmetic(qsConst, 1)] = &&Q_SourceArith_qsConst_Sub;
    kQuick[quickSourceArithmetic(qsConst, 2)] = &&Q_SourceArith_qsConst_Mul;
    kQuick[quickSourceArithmetic(qsConst, 3)] = &&Q_SourceArith_qsConst_Mod;
    kQuick[quickSourceArithmetic(qsMember, 0)] = &&Q_SourceArith_qsMember_Add;
    kQuick[quickSourceArithmetic(qsMember, 1)] = &&Q_SourceArith_qsMember_Sub;
    kQuick[quickSourceArithmetic(qsMember, 2)] = &&Q_SourceArith_qsMember_Mul;
    kQuick[quickSourceArithmetic(qsMember, 3)] = &&Q_SourceArith_qsMember_Mod;
    kQuick[quickPairArithmetic(0, qsLocal, 0)] = &&Q_PairArith_qsLocal_qsLocal_Add;
    kQuick[quickPairArithmetic(0, qsLocal, 1)] = &&Q_PairArith_qsLocal_qsLocal_Sub;
    kQuick[quickPairArithmetic(0, qsLocal, 2)] = &&Q_PairArith_qsLocal_qsLocal_Mul;
    kQuick[quickPairArithmetic(0, qsLocal, 3)] = &&Q_PairArith_qsLocal_qsLocal_Mod;
    kQuick[quickPairCompareJump(0, qsLocal, 0)] = &&Q_PairJump_qsLocal_qsLocal_GT;
    kQuick[quickPairCompareJump(0, qsLocal, 1)] = &&Q_PairJump_qsLocal_qsLocal_GTE;
    kQuick[quickPairCompareJump(0, qsLocal, 2)] = &&Q_PairJump_qsLocal_qsLocal_LT;
    kQuick[quickPairCompareJump(0, qsLocal, 3)] = &&Q_PairJump_qsLocal_qsLocal_LTE;
    kQuick[quickPairCompareJump(0, qsLocal, 4)] = &&Q_PairJump_qsLocal_qsLocal_EQ;
    kQuick[quickPairCompareJump(0, qsLocal, 5)] = &&Q_PairJump_qsLocal_qsLocal_NEQ;
    kQuick[quickPairArithmetic(0, qsConst, 0)] = &&Q_PairArith_qsLocal_qsConst_Add;
    kQuick[quickPairArithmetic(0, qsConst, 1)] = &&Q_PairArith_qsLocal_qsConst_Sub;
    kQuick[quickPairArithmetic(0, qsConst, 2)] = &&Q_PairArith_qsLocal_qsConst_Mul;
    kQuick[quickPairArithmetic(0, qsConst, 3)] = &&Q_PairArith_qsLocal_qsConst_Mod;
    kQuick[quickPairCompareJump(0, qsConst, 0)] = &&Q_PairJump_qsLocal_qsConst_GT;
    kQuick[quickPairCompareJump(0, qsConst, 1)] = &&Q_PairJump_qsLocal_qsConst_GTE;
    kQuick[quickPairCompareJump(0, qsConst, 2)] = &&Q_PairJump_qsLocal_qsConst_LT;
    kQuick[quickPairCompareJump(0, qsConst, 3)] = &&Q_PairJump_qsLocal_qsConst_LTE;
    kQuick[quickPairCompareJump(0, qsConst, 4)] = &&Q_PairJump_qsLocal_qsConst_EQ;
    kQuick[quickPairCompareJump(0, qsConst, 5)] = &&Q_PairJump_qsLocal_qsConst_NEQ;
    kQuick[quickPairArithmetic(0, qsMember, 0)] = &&Q_PairArith_qsLocal_qsMember_Add;
    kQuick[quickPairArithmetic(0, qsMember, 1)] = &&Q_PairArith_qsLocal_qsMember_Sub;
    kQuick[quickPairArithmetic(0, qsMember, 2)] = &&Q_PairArith_qsLocal_qsMember_Mul;
    kQuick[quickPairArithmetic(0, qsMember, 3)] = &&Q_PairArith_qsLocal_qsMember_Mod;
    kQuick[quickPairCompareJump(0, qsMember, 0)] = &&Q_PairJump_qsLocal_qsMember_GT;
    kQuick[quickPairCompareJump(0, qsMember, 1)] = &&Q_PairJump_qsLocal_qsMember_GTE;
    kQuick[quickPairCompareJump(0, qsMember, 2)] = &&Q_PairJump_qsLocal_qsMember_LT;
    kQuick[quickPairCompareJump(0, qsMember, 3)] = &&Q_PairJump_qsLocal_qsMember_LTE;
    kQuick[quickPairCompareJump(0, qsMember, 4)] = &&Q_PairJump_qsLocal_qsMember_EQ;
    kQuick[quickPairCompareJump(0, qsMember, 5)] = &&Q_PairJump_qsLocal_qsMember_NEQ;
    kQuick[quickPairArithmetic(1, qsLocal, 0)] = &&Q_PairArith_qsMember_qsLocal_Add;
    kQuick[quickPairArithmetic(1, qsLocal, 1)] = &&Q_PairArith_qsMember_qsLocal_Sub;
    kQuick[quickPairArithmetic(1, qsLocal, 2)] = &&Q_PairArith_qsMember_qsLocal_Mul;
    kQuick[quickPairArithmetic(1, qsLocal, 3)] = &&Q_PairArith_qsMember_qsLocal_Mod;
    kQuick[quickPairCompareJump(1, qsLocal, 0)] = &&Q_PairJump_qsMember_qsLocal_GT;
    kQuick[quickPairCompareJump(1, qsLocal, 1)] = &&Q_PairJump_qsMember_qsLocal_GTE;
    kQuick[quickPairCompareJump(1, qsLocal, 2)] = &&Q_PairJump_qsMember_qsLocal_LT;
    kQuick[quickPairCompareJump(1, qsLocal, 3)] = &&Q_PairJump_qsMember_qsLocal_LTE;
    kQuick[quickPairCompareJump(1, qsLocal, 4)] = &&Q_PairJump_qsMember_qsLocal_EQ;
    kQuick[quickPairCompareJump(1, qsLocal, 5)] = &&Q_PairJump_qsMember_qsLocal_NEQ;
    kQuick[quickPairArithmetic(1, qsConst, 0)] = &&Q_PairArith_qsMember_qsConst_Add;
    kQuick[quickPairArithmetic(1, qsConst, 1)] = &&Q_PairArith_qsMember_qsConst_Sub;
    kQuick[quickPairArithmetic(1, qsConst, 2)] = &&Q_PairArith_qsMember_qsConst_Mul;
    kQuick[quickPairArithmetic(1, qsConst, 3)] = &&Q_PairArith_qsMember_qsConst_Mod;
    kQuick[quickPairCompareJump(1, qsConst, 0)] = &&Q_PairJump_qsMember_qsConst_GT;
    kQuick[quickPairCompareJump(1, qsConst, 1)] = &&Q_PairJump_qsMember_qsConst_GTE;
    kQuick[quickPairCompareJump(1, qsConst, 2)] = &&Q_PairJump_qsMember_qsConst_LT;
    kQuick[quickPairCompareJump(1, qsConst, 3)] = &&Q_PairJump_qsMember_qsConst_LTE;
    kQuick[quickPairCompareJump(1, qsConst, 4)] = &&Q_PairJump_qsMember_qsConst_EQ;
    kQuick[quickPairCompareJump(1, qsConst, 5)] = &&Q_PairJump_qsMember_qsConst_NEQ;
    kQuick[quickPairArithmetic(1, qsMember, 0)] = &&Q_PairArith_qsMember_qsMember_Add;
    kQuick[quickPairArithmetic(1, qsMember, 1)] = &&Q_PairArith_qsMember_qsMember_Sub;
    kQuick[quickPairArithmetic(1, qsMember, 2)] = &&Q_PairArith_qsMember_qsMember_Mul;
    kQuick[quickPairArithmetic(1, qsMember, 3)] = &&Q_PairArith_qsMember_qsMember_Mod;
    kQuick[quickPairCompareJump(1, qsMember, 0)] = &&Q_PairJump_qsMember_qsMember_GT;
    kQuick[quickPairCompareJump(1, qsMember, 1)] = &&Q_PairJump_qsMember_qsMember_GTE;
    kQuick[quickPairCompareJump(1, qsMember, 2)] = &&Q_PairJump_qsMember_qsMember_LT;
    kQuick[quickPairCompareJump(1, qsMember, 3)] = &&Q_PairJump_qsMember_qsMember_LTE;
    kQuick[quickPairCompareJump(1, qsMember, 4)] = &&Q_PairJump_qsMember_qsMember_EQ;
    kQuick[quickPairCompareJump(1, qsMember, 5)] = &&Q_PairJump_qsMember_qsMember_NEQ;
    kQuick[qCompareJump + 0] = &&Q_CompareJump_GT;
    kQuick[quickAssignPair(0, 0, qsLocal, 0)] = &&Q_Assign_Local_qsLocal_qsLocal_Add;
    kQuick[quickAssignPair(0, 0, qsLocal, 1)] = &&Q_Assign_Local_qsLocal_qsLocal_Sub;
    kQuick[quickAssignPair(0, 0, qsLocal, 2)] = &&Q_Assign_Local_qsLocal_qsLocal_Mul;
    kQuick[quickAssignPair(0, 0, qsLocal, 3)] = &&Q_Assign_Local_qsLocal_qsLocal_Mod;
    kQuick[quickAssignPair(0, 0, qsConst, 0)] = &&Q_Assign_Local_qsLocal_qsConst_Add;
    kQuick[quickAssignPair(0, 0, qsConst, 1)] = &&Q_Assign_Local_qsLocal_qsConst_Sub;
    kQuick[quickAssignPair(0, 0, qsConst, 2)] = &&Q_Assign_Local_qsLocal_qsConst_Mul;
    kQuick[quickAssignPair(0, 0, qsConst, 3)] = &&Q_Assign_Local_qsLocal_qsConst_Mod;
    kQuick[quickAssignPair(0, 0, qsMember, 0)] = &&Q_Assign_Local_qsLocal_qsMember_Add;
    kQuick[quickAssignPair(0, 0, qsMember, 1)] = &&Q_Assign_Local_qsLocal_qsMember_Sub;
    kQuick[quickAssignPair(0, 0, qsMember, 2)] = &&Q_Assign_Local_qsLocal_qsMember_Mul;
    kQuick[quickAssignPair(0, 0, qsMember, 3)] = &&Q_Assign_Local_qsLocal_qsMember_Mod;
    kQuick[quickAssignPair(0, 1, qsLocal, 0)] = &&Q_Assign_Local_qsMember_qsLocal_Add;
    kQuick[quickAssignPair(0, 1, qsLocal, 1)] = &&Q_Assign_Local_qsMember_qsLocal_Sub;
    kQuick[quickAssignPair(0, 1, qsLocal, 2)] = &&Q_Assign_Local_qsMember_qsLocal_Mul;
    kQuick[quickAssignPair(0, 1, qsLocal, 3)] = &&Q_Assign_Local_qsMember_qsLocal_Mod;
    kQuick[quickAssignPair(0, 1, qsConst, 0)] = &&Q_Assign_Local_qsMember_qsConst_Add;
    kQuick[quickAssignPair(0, 1, qsConst, 1)] = &&Q_Assign_Local_qsMember_qsConst_Sub;
    kQuick[quickAssignPair(0, 1, qsConst, 2)] = &&Q_Assign_Local_qsMember_qsConst_Mul;
    kQuick[quickAssignPair(0, 1, qsConst, 3)] = &&Q_Assign_Local_qsMember_qsConst_Mod;
    kQuick[quickAssignPair(0, 1, qsMember, 0)] = &&Q_Assign_Local_qsMember_qsMember_Add;
    kQuick[quickAssignPair(0, 1, qsMember, 1)] = &&Q_Assign_Local_qsMember_qsMember_Sub;
    kQuick[quickAssignPair(0, 1, qsMember, 2)] = &&Q_Assign_Local_qsMember_qsMember_Mul;
    kQuick[quickAssignPair(0, 1, qsMember, 3)] = &&Q_Assign_Local_qsMember_qsMember_Mod;
    kQuick[quickAssignPair(1, 0, qsLocal, 0)] = &&Q_Assign_Member_qsLocal_qsLocal_Add;
    kQuick[quickAssignPair(1, 0, qsLocal, 1)] = &&Q_Assign_Member_qsLocal_qsLocal_Sub;
    kQuick[quickAssignPair(1, 0, qsLocal, 2)] = &&Q_Assign_Member_qsLocal_qsLocal_Mul;
    kQuick[quickAssignPair(1, 0, qsLocal, 3)] = &&Q_Assign_Member_qsLocal_qsLocal_Mod;
    kQuick[quickAssignPair(1, 0, qsConst, 0)] = &&Q_Assign_Member_qsLocal_qsConst_Add;
    kQuick[quickAssignPair(1, 0, qsConst, 1)] = &&Q_Assign_Member_qsLocal_qsConst_Sub;
    kQuick[quickAssignPair(1, 0, qsConst, 2)] = &&Q_Assign_Member_qsLocal_qsConst_Mul;
    kQuick[quickAssignPair(1, 0, qsConst, 3)] = &&Q_Assign_Member_qsLocal_qsConst_Mod;
    kQuick[quickAssignPair(1, 0, qsMember, 0)] = &&Q_Assign_Member_qsLocal_qsMember_Add;
    kQuick[quickAssignPair(1, 0, qsMember, 1)] = &&Q_Assign_Member_qsLocal_qsMember_Sub;
    kQuick[quickAssignPair(1, 0, qsMember, 2)] = &&Q_Assign_Member_qsLocal_qsMember_Mul;
    kQuick[quickAssignPair(1, 0, qsMember, 3)] = &&Q_Assign_Member_qsLocal_qsMember_Mod;
    kQuick[quickAssignPair(1, 1, qsLocal, 0)] = &&Q_Assign_Member_qsMember_qsLocal_Add;
    kQuick[quickAssignPair(1, 1, qsLocal, 1)] = &&Q_Assign_Member_qsMember_qsLocal_Sub;
    kQuick[quickAssignPair(1, 1, qsLocal, 2)] = &&Q_Assign_Member_qsMember_qsLocal_Mul;
    kQuick[quickAssignPair(1, 1, qsLocal, 3)] = &&Q_Assign_Member_qsMember_qsLocal_Mod;
    kQuick[quickAssignPair(1, 1, qsConst, 0)] = &&Q_Assign_Member_qsMember_qsConst_Add;
    kQuick[quickAssignPair(1, 1, qsConst, 1)] = &&Q_Assign_Member_qsMember_qsConst_Sub;
    kQuick[quickAssignPair(1, 1, qsConst, 2)] = &&Q_Assign_Member_qsMember_qsConst_Mul;
    kQuick[quickAssignPair(1, 1, qsConst, 3)] = &&Q_Assign_Member_qsMember_qsConst_Mod;
    kQuick[quickAssignPair(1, 1, qsMember, 0)] = &&Q_Assign_Member_qsMember_qsMember_Add;
    kQuick[quickAssignPair(1, 1, qsMember, 1)] = &&Q_Assign_Member_qsMember_qsMember_Sub;
    kQuick[quickAssignPair(1, 1, qsMember, 2)] = &&Q_Assign_Member_qsMember_qsMember_Mul;
    kQuick[quickAssignPair(1, 1, qsMember, 3)] = &&Q_Assign_Member_qsMember_qsMember_Mod;
    kQuick[qCompareJump + 1] = &&Q_CompareJump_GTE;
    kQuick[qCompareJump + 2] = &&Q_CompareJump_LT;
    kQuick[qCompareJump + 3] = &&Q_CompareJump_LTE;
    kQuick[qCompareJump + 4] = &&Q_CompareJump_EQ;
    kQuick[qCompareJump + 5] = &&Q_CompareJump_NEQ;
    kQuick[qArgConstArithmetic + 0] = &&Q_PairArith_qsArg_qsConst_Add;
    kQuick[qArgConstArithmetic + 1] = &&Q_PairArith_qsArg_qsConst_Sub;
    kQuick[qArgConstArithmetic + 2] = &&Q_PairArith_qsArg_qsConst_Mul;
    kQuick[qArgConstArithmetic + 3] = &&Q_PairArith_qsArg_qsConst_Mod;
    kQuick[qArgArgArithmetic + 0] = &&Q_PairArith_qsArg_qsArg_Add;
    kQuick[qArgArgArithmetic + 1] = &&Q_PairArith_qsArg_qsArg_Sub;
    kQuick[qArgArgArithmetic + 2] = &&Q_PairArith_qsArg_qsArg_Mul;
    kQuick[qArgArgArithmetic + 3] = &&Q_PairArith_qsArg_qsArg_Mod;
    kQuick[qArgConstCompareJump + 0] = &&Q_PairJump_qsArg_qsConst_GT;
    kQuick[qArgConstCompareJump + 1] = &&Q_PairJump_qsArg_qsConst_GTE;
    kQuick[qArgConstCompareJump + 2] = &&Q_PairJump_qsArg_qsConst_LT;
    kQuick[qArgConstCompareJump + 3] = &&Q_PairJump_qsArg_qsConst_LTE;
    kQuick[qArgConstCompareJump + 4] = &&Q_PairJump_qsArg_qsConst_EQ;
    kQuick[qArgConstCompareJump + 5] = &&Q_PairJump_qsArg_qsConst_NEQ;
    kQuick[qMethodCall] = &&L_DCall;
#define SET_LOOP_STEP(name, sign, subtract, bound, boundIndex, cmp, rel, index) \
  kQuick[quickLoopStep(subtract, boundIndex, index)] = &&Q_LoopStep_##name##_##bound##_##cmp;
    FOR_EACH_LOOP_STEP(SET_LOOP_STEP)
#undef SET_LOOP_STEP
#define SET_PAIR_BELOW(x, xi, y, op, opi, below, belowi) \
  kQuick[quickPairArithmeticBelow(xi, y, opi, belowi)] = &&Q_PairBelow_##x##_##y##_##op##_##below;
    FOR_EACH_PAIR_BELOW(SET_PAIR_BELOW)
#undef SET_PAIR_BELOW
#define SET_ASSIGN_SOURCE(src, op, opi) \
  kQuick[quickAssignSourceArithmetic(src, opi)] = &&Q_AssignSourceArith_##src##_##op;
    FOR_EACH_ASSIGN_SOURCE(SET_ASSIGN_SOURCE)
#undef SET_ASSIGN_SOURCE
#define SET_ARITH_ASSIGN_SOURCE(op, opi, src, then, theni) \
  kQuick[quickArithAssignSource(opi, src, theni)] = &&Q_ArithAssignSource_##op##_##src##_##then;
    FOR_EACH_ARITH_ASSIGN_SOURCE(SET_ARITH_ASSIGN_SOURCE)
#undef SET_ARITH_ASSIGN_SOURCE
    kQuick[qPointerAndValue] = &&Q_PointerAndValue;
    kQuick[qLocalsThenCall] = &&Q_LocalsThenCall;
    kQuick[qPushRet] = &&Q_PushRet;
#define SET_POINTER_VALUE(y, op, opi, below, belowi)   \
  kQuick[quickPointerValuePairBelow(y, opi, belowi)] = \
      &&Q_PointerValuePairBelow_##y##_##op##_##below;
    FOR_EACH_POINTER_VALUE_PAIR_BELOW(SET_POINTER_VALUE)
#undef SET_POINTER_VALUE
#define SET_ARITH_RET(unused, op, opi) kQuick[qArithRet + opi] = &&Q_ArithRet_##op;
    QUICK_ARITHMETIC(SET_ARITH_RET, )
#undef SET_ARITH_RET
    for (uint32_t kind = 0; kind < kQuickBounds * kQuickBounds; ++kind)
      kQuick[qSelfCallPair + kind] = &&Q_SelfCallPair;
#define SET_SELF_CALL(src, argument, op, opi) \
  kQuick[quickSelfCall(argument, opi)] = &&Q_SelfCall_##src##_##op;
    QUICK_ARITHMETIC(SET_SELF_CALL, qsArg, true)
    QUICK_ARITHMETIC(SET_SELF_CALL, qsLocal, false)
#undef SET_SELF_CALL
  }
  const std::ptrdiff_t quickDistance = Arena::quickDistance();
  // The quick-form word beside the instruction at PC.
#define QUICK_WORD() \
  (*reinterpret_cast<const uint32_t*>(reinterpret_cast<const std::byte*>(PC) + quickDistance))
#define CASE(name) L_##name:
#define NEXT()                                                                               \
  do {                                                                                       \
    if (UNLIKELY(--avail < 0)) goto slice_done;                                              \
    goto* kQuick[*reinterpret_cast<const uint32_t*>(reinterpret_cast<const std::byte*>(PC) + \
                                                    quickDistance) &                         \
                 (kQuickTableSize - 1)];                                                     \
  } while (0)
  NEXT();
#else
#define CASE(name) case Op_##name:
#define NEXT() goto dispatch
dispatch:
  if (UNLIKELY(avail <= 0)) goto slice_done;
  --avail;
  switch (*PC) {
#endif

  CASE(Pop) {
    TValue v = *SP++;
    RELEASE(v);
    PC += 1;
    NEXT();
  }
  CASE(Push) {
    NEED(1);
    PUSH(TValue::ofRef(static_cast<TVType>(PC[1] & 0xFF), PC[2]));
    PC += 3;
    NEXT();
  }
  CASE(PushString) {
    NEED(1);
    SAVE();
    int32_t budget = runtime().debugStepBudget;
    const char* text = reinterpret_cast<const char*>(PC + 2);
    TValue s = newString(std::string_view(text, strnlen(text, PC[1])));
    runtime().debugStepBudget = budget;
    STOP_IF_KILLED();
    retain(s);
    PUSH(s);
    PC += 2 + PC[1] / 4;
    NEXT();
  }
  CASE(PushThis) {
    NEED(1);
    TValue v = *SELF;
    retain(v);
    PUSH(v);
    PC += 1;
    NEXT();
  }
  CASE(SMemberValPtr) {
    TValue* cell = memberCell(*SP, PC[1]);
    CHECK(cell, kBadMemberSlot);
    TValue old = *SP;
    *SP = TValue::ofRef(vtPointer, refOf(cell));
    RELEASE(old);
    PC += 2;
    NEXT();
  }
  CASE(DMemberValPtr) {
    SAVE();
    TValue old = *SP;
    TValue* cell = ops::memberByName(p, old, PC[1], PC[2]);
    *SP = TValue::ofRef(vtPointer, refOf(cell));
    RELEASE(old);
    PC += 3;
    NEXT();
  }
  CASE(LocalValPtr) {
    NEED(1);
    CHECK(PC[1] <= frameSlots, "ローカル変数の番号が正しくありません");
    PUSH(TValue::ofRef(vtPointer, refOf(FP - PC[1])));
    PC += 2;
    NEXT();
  }
  CASE(ArgValPtr) {
    NEED(1);
    const FrameRecord* fr = reinterpret_cast<const FrameRecord*>(FP + 1);
    TValue* cell = PC[1] < uint32_t(fr->argc) ? SELF - 1 - PC[1] : ops::dummy(false);
    PUSH(TValue::ofRef(vtPointer, refOf(cell)));
    PC += 2;
    NEXT();
  }
  CASE(PushThis_SMemberValPtr) {
    NEED(1);
    TValue* cell = memberCell(*SELF, PC[2]);
    CHECK(cell, kBadMemberSlot);
    PUSH(TValue::ofRef(vtPointer, refOf(cell)));
    PC += 3;
    NEXT();
  }
  CASE(PushThis_SMemberValPtr_Deref) {
    NEED(1);
    TValue* cell = memberCell(*SELF, PC[2]);
    CHECK(cell, kBadMemberSlot);
    TValue v = *cell;
    retain(v);
    PUSH(v);
    PC += 4;
    NEXT();
  }
  CASE(DMemberValPtr_Deref) {
    SAVE();
    TValue old = *SP;
    TValue* cell = ops::memberByName(p, old, PC[1], PC[2]);
    TValue v = *cell;
    retain(v);
    *SP = v;
    RELEASE(old);
    PC += 4;
    NEXT();
  }
  CASE(LocalValPtr_Deref) {
    NEED(1);
    CHECK(PC[1] <= frameSlots, "ローカル変数の番号が正しくありません");
    TValue v = FP[-int32_t(PC[1])];
    retain(v);
    PUSH(v);
    PC += 3;
    NEXT();
  }
  CASE(ArgValPtr_Deref) {
    NEED(1);
    const FrameRecord* fr = reinterpret_cast<const FrameRecord*>(FP + 1);
    TValue v = PC[1] < uint32_t(fr->argc) ? SELF[-1 - int32_t(PC[1])] : TValue{};
    retain(v);
    PUSH(v);
    PC += 3;
    NEXT();
  }
  CASE(Push_Deref) {
    NEED(1);
    TValue v = *cellAt(PC[2]);
    retain(v);
    PUSH(v);
    PC += 4;
    NEXT();
  }

  // What NativeCall does once its native returned: the arguments go, the result
  // stays in the target slot, and the slice ends if the native asked for it.
#define NATIVE_RETURNED(target, argc)                                          \
  do {                                                                         \
    if (UNLIKELY(p->released)) {                                               \
      /* The native killed this very process: its stack is no longer ours. */  \
      avail = 0;                                                               \
      goto slice_done;                                                         \
    }                                                                          \
    /* Lowest first, so that the arguments not yet released stay inside the */ \
    /* stack walk should a release fail. */                                    \
    for (TValue* a = (target)-int32_t(argc); a < (target); ++a) {              \
      TValue v = *a;                                                           \
      *a = TValue{};                                                           \
      SP = a + 1;                                                              \
      RELEASE(v);                                                              \
    }                                                                          \
    SP = (target);                                                             \
    PC += 3;                                                                   \
    if (UNLIKELY(p->yieldFlag | p->halted | p->sliceEnded)) {                  \
      p->sliceEnded = 0;                                                       \
      avail = 0;                                                               \
      goto slice_done;                                                         \
    }                                                                          \
  } while (0)

  {
    // The five calls share the frame building below. Each picks the function and
    // the target slot, then jumps to enter_frame.
    // The object and class a DCall found, for forward_call.
    TfObject* targetObject;
    ClassObject* targetClass;

    CASE(DCall) {
      argc = PC[1];
      words = 4;
      target = SP + argc;
      CHECK(target < stackEnd, "スタックオーバーフロー");
      Symbol name = PC[2];
      TfObject* o = objectOf(*target);
      if (LIKELY(o != nullptr)) {
        MethodCache::Entry& cached = MethodCache::slotFor(o->classHandle, name);
        ClassObject* cls;
        TFunction* f;
        int32_t hint;
        if (LIKELY(MethodCache::hit(cached, o->classHandle, name))) {
          cls = cached.cls;
          f = cached.function;
          hint = cached.index;
        } else {
          cls = classOfRecord(o);
          hint = int32_t(PC[3]);
          f = cls ? cls->FindMethod(name, hint) : nullptr;
          if (f) MethodCache::fill(cached, o->classHandle, name, hint, f, cls);
        }
        if (LIKELY(f != nullptr)) {
          PC[3] = uint32_t(hint);
          if (UNLIKELY(f->isNative())) {
            SAVE();
            ops::raiseText("Native関数" + symbols::text(name) + "は呼び出せません");
          }
          callee = static_cast<TNormalFunction*>(f);
#if ZUNKA_COMPUTED_GOTO
          if (QUICK_WORD() == qMethodCall) {
            targetObject = o;
            targetClass = cls;
            goto forward_call;
          }
#endif
          goto enter_frame;
        }
        SAVE();
        Warn(p, "メソッド" + symbols::text(name) + "は定義されていません");
        TFunction* hook = cls ? cls->FindMethodBySymbol(symbols::kErrorHook) : nullptr;
        if (!hook || hook->isNative())
          ops::raiseText("メソッド" + symbols::text(name) + "は定義されていません");
        callee = static_cast<TNormalFunction*>(hook);
        goto enter_frame;
      }
      SAVE();
      std::string reason = ops::notObjectReason(*target);
      if (target->kind != vtError)
        Warn(p, reason + "、メソッド" + symbols::text(name) + "を呼び出せません");
      TFunction* hook = runtime().objectClass
                            ? runtime().objectClass->FindMethodBySymbol(symbols::kErrorHook)
                            : nullptr;
      if (!hook || hook->isNative())
        ops::raiseText(reason + "、メソッド" + symbols::text(name) + "を呼び出せません");
      callee = static_cast<TNormalFunction*>(hook);
      goto enter_frame;
    }
    CASE(SCall) {
      argc = PC[1];
      words = 3;
      target = SP + argc;
      CHECK(target < stackEnd, "スタックオーバーフロー");
      TfObject* o = objectOf(*target);
      ClassObject* cls = classOfRecord(o);
      TFunction* f = cls ? cls->MethodAt(int32_t(PC[2])) : nullptr;
      if (UNLIKELY(!f || f->isNative())) {
        SAVE();
        ops::raiseText(ops::notObjectReason(*target) + "、メソッドを呼び出せません");
      }
      callee = static_cast<TNormalFunction*>(f);
#if ZUNKA_COMPUTED_GOTO
      targetObject = o;
      goto leaf_call;
#else
        goto enter_frame;
#endif
    }
    CASE(SuperCall) {
      argc = PC[1];
      words = 3;
      target = SP + argc;
      callee = hostAs<TNormalFunction>(PC[2]);
      CHECK(callee && target < stackEnd, "呼び出すメソッドがありません");
      goto enter_frame;
    }
    CASE(Constructor) {
      argc = PC[1];
      words = 3;
      target = SP + argc;
      ClassObject* cls = hostAs<ClassObject>(PC[2]);
      CHECK(cls && target < stackEnd, "生成するクラスがありません");
      SAVE();
      int32_t budget = runtime().debugStepBudget;
      Ref record = cls->NewInstance();
      runtime().debugStepBudget = budget;
      STOP_IF_KILLED();
      TValue old = *target;
      *target = TValue::ofRef(vtObject, record);
      retain(*target);
      RELEASE(old);
      callee = cls->Constructor();
      if (UNLIKELY(!callee)) {
        // Without a constructor the new object itself is the value of the call.
        while (SP < target) {
          TValue v = *SP++;
          RELEASE(v);
        }
        PC += words;
        NEXT();
      }
      goto enter_frame;
    }

  enter_frame : {
    TNormalFunction* f = callee;
    if (UNLIKELY(!f->code)) {
      SAVE();
      ops::raiseText("メソッド" + f->GetName() + "は定義されていません");
    }
    int32_t locals = f->localCount();
    TValue* newFp = SP - 5;  // the frame record takes the four slots below the last argument
    TValue* newSp = newFp - (locals - 1);
    if (UNLIKELY(locals < 0 ||
                 reinterpret_cast<std::byte*>(newSp) <
                     reinterpret_cast<std::byte*>(stackLow) + TProcess::kCallMargin)) {
      SAVE();
      ops::stackOverflow();
    }
    FrameRecord* fr = reinterpret_cast<FrameRecord*>(newFp + 1);
    fr->function = f->handle();
    fr->returnAddress = refOf(PC + words);
    fr->argc = int32_t(argc);
    fr->thisSlot = refOf(target);
    fr->callerFrame = FP ? refOf(FP) : 0;
    fr->position[0] = p->position[0];
    fr->position[1] = p->position[1];
    fr->position[2] = p->position[2];
    for (int32_t i = 0; i < locals; ++i) newFp[-i] = TValue{};
    FP = newFp;
    frameSlots = uint32_t(FP - stackLow);
    SP = newSp;
    SELF = target;
    f->code->ensureQuickForm();
    PC = f->code->words();
    NEXT();
  }

#if ZUNKA_COMPUTED_GOTO
    // DCall in the quick form, its method found: a forwarding method with a plain
    // native runs without its frame (ForwardedCall) when the slice has room for
    // every instruction of the body and no debugger may pause in it.
  forward_call : {
    const TCompiledInfo* code = callee->code.get();
    const ForwardingShape* shape = code ? code->forwarding() : nullptr;
    if (LIKELY(!shape)) goto leaf_call;
    const int32_t steps = shape->steps();
    if (avail < steps - 1 || runtime().pauseRoutine) goto enter_frame;
    if (shape->mayLookUp &&
        (shape->memberThenArgument && argc == 1
             ? lookUpMemberByArgument(callee, *shape, targetObject, targetClass, target, stackLow)
             : lookUpForwarded(callee, *shape, targetObject, targetClass, target, argc,
                               stackLow))) {
      SP = target;
      PC += words;
      avail -= steps - 1;
      NEXT();
    }
    SAVE();
    ForwardedCall call{p,    callee,    targetObject, targetClass, target,
                       argc, refOf(PC), SP - 5,       avail,       code->words()};
    const Forwarded how = forwardCall(call, *shape, stackLow);
    if (UNLIKELY(how == Forwarded::NotTaken)) goto enter_frame;
    if (LIKELY(how == Forwarded::Returned)) {
      SP = target;
      PC += words;
      avail -= steps - 1;
      NEXT();
    }
    // Resumed: on from the NativeCall, its frame built.
    if (p->released) {
      avail = 0;
      goto slice_done;
    }
    PC = Arena::at<uint32_t>(p->pc);
    SP = cellAt(p->sp);
    FP = cellAt(p->fp);
    SELF = cellAt(p->thisSlot);
    avail = p->avail;
    nativeArgc = PC[1];
    nativeTarget = SP + nativeArgc;
    goto native_returned;
  }

    // Q_SelfCallPair's call, its arguments pushed: `this` is the live object it
    // found.
  self_call_leaf:
    targetObject = objectAt(target->ref);
    goto leaf_call;

    // A quick DCall or an SCall of a method whose body is `return ARG op CONST;`
    // or `return ARG op ARG;` (leafCall): its value without the frame, when the
    // slice has room for the five steps and no debugger may pause.
  leaf_call : {
    if (avail < 4 || !FP || runtime().pauseRoutine ||
        !leafCall(callee, target, argc, targetObject, stackLow, quickDistance))
      goto enter_frame;
    SP = target;
    PC += words;
    avail -= 4;
    NEXT();
  }
#endif
  }

  CASE(NativeCall) {
    nativeArgc = PC[1];
    nativeTarget = SP + nativeArgc;
    TNativeFunction* native = hostAs<TNativeFunction>(PC[2]);
    CHECK(native && nativeTarget < stackEnd, "native関数が実装されていません");
    // The arguments stay on the stack during the call, so that a failing native
    // still has them released with the rest of the process.
    SAVE();
    native->handler(native, nativeTarget, int32_t(nativeArgc), 0);
  }
native_returned:
  NATIVE_RETURNED(nativeTarget, nativeArgc);
  NEXT();
#undef NATIVE_RETURNED

  // Numbers of either kind are handled inline; a float result is rounded to
  // single precision. Everything else (strings, null, errors) goes out of line.
#define IS_NUMBER(v) ((v).kind == vtInt || (v).kind == vtFloat)
#define AS_DOUBLE(v) ((v).kind == vtInt ? double((v).i) : double((v).f))
#define ARITHMETIC(name, intCase, floatOp)                                                 \
  CASE(name) {                                                                             \
    TValue& a = SP[1];                                                                     \
    TValue b = SP[0];                                                                      \
    int32_t n;                                                                             \
    if (LIKELY(a.kind == vtInt && b.kind == vtInt && (intCase))) {                         \
      a = TValue::ofInt(n);                                                                \
      ++SP;                                                                                \
    } else if (IS_NUMBER(a) && IS_NUMBER(b) && (a.kind == vtFloat || b.kind == vtFloat)) { \
      a = TValue::ofFloat(float(AS_DOUBLE(a) floatOp AS_DOUBLE(b)));                       \
      ++SP;                                                                                \
    } else {                                                                               \
      SAVE();                                                                              \
      ops::arithmetic(Op_##name, a, b);                                                    \
      if (UNLIKELY(p->released)) {                                                         \
        ops::dropAfterKill(a); /* the kill released the operands already */                \
        STOP_IF_KILLED();                                                                  \
      }                                                                                    \
      ++SP;                                                                                \
      RELEASE(b);                                                                          \
    }                                                                                      \
    PC += 1;                                                                               \
    NEXT();                                                                                \
  }
  ARITHMETIC(Add, (n = int32_t(uint32_t(a.i) + uint32_t(b.i)), true), +)
  ARITHMETIC(Sub, (n = int32_t(uint32_t(a.i) - uint32_t(b.i)), true), -)
  ARITHMETIC(Mul, (n = int32_t(uint32_t(a.i) * uint32_t(b.i)), true), *)
  // Integer division stays integer only when it divides evenly; by 0 and -1 (and
  // every remainder) go out of line.
  ARITHMETIC(Div, (b.i > 0 && a.i % b.i == 0 && (n = a.i / b.i, true)), /)
#undef ARITHMETIC
  CASE(Mod) {
    TValue& a = SP[1];
    TValue b = SP[0];
    if (LIKELY(a.kind == vtInt && b.kind == vtInt && b.i > 0)) {
      a = TValue::ofInt(a.i % b.i);
      ++SP;
    } else {
      SAVE();
      ops::arithmetic(Op_Mod, a, b);
      ++SP;
      RELEASE(b);
    }
    PC += 1;
    NEXT();
  }

#define COMPARISON(name, rel)                                           \
  CASE(name) {                                                          \
    TValue& a = SP[1];                                                  \
    TValue& b = SP[0];                                                  \
    if (LIKELY(a.kind == vtInt && b.kind == vtInt)) {                   \
      a = TValue::ofFloat(a.i rel b.i ? 1.0f : 0.0f);                   \
    } else if (IS_NUMBER(a) && IS_NUMBER(b)) {                          \
      a = TValue::ofFloat(AS_DOUBLE(a) rel AS_DOUBLE(b) ? 1.0f : 0.0f); \
    } else {                                                            \
      SAVE();                                                           \
      ops::comparison(Op_##name, a, b);                                 \
    }                                                                   \
    ++SP;                                                               \
    PC += 1;                                                            \
    NEXT();                                                             \
  }
  COMPARISON(GT, >)
  COMPARISON(GTE, >=)
  COMPARISON(LT, <)
  COMPARISON(LTE, <=)
  COMPARISON(EQ, ==)
  COMPARISON(NEQ, !=)
#undef COMPARISON

  CASE(And)
  CASE(Or) {
    PC += 1;
    NEXT();
  }
  CASE(Is) {
    TValue old = *SP;
    ClassObject* cls = classOfRecord(objectOf(old));
    ClassObject* wanted = hostAs<ClassObject>(PC[1]);
    *SP = TValue::ofInt(cls && wanted && cls->InheritsFrom(wanted) ? 1 : 0);
    RELEASE(old);
    PC += 2;
    NEXT();
  }
  CASE(Not) {
    TValue old = *SP;
    *SP = TValue::ofInt(isTrue(old) ? 0 : 1);
    RELEASE(old);
    PC += 1;
    NEXT();
  }
  CASE(Neg) {
    if (SP->kind == vtInt)
      *SP = TValue::ofInt(int32_t(0u - uint32_t(SP->i)));
    else if (SP->kind == vtFloat)
      *SP = TValue::ofFloat(-SP->f);
    PC += 1;
    NEXT();
  }
  CASE(Subst) {
    // Moved as whole words: see TValue::ofBits.
    const TValue v = TValue::ofBits(SP[0].bits());
    TValue& ptr = SP[1];
    CHECK(ptr.kind == vtPointer, "代入先が変数ではありません");
    TValue* cell = cellAt(ptr.ref);
    TValue old = TValue::ofBits(cell->bits());
    *cell = v;  // the top's reference moves into the variable
    retain(v);  // and the expression keeps its value on the stack
    ptr = v;
    ++SP;
    RELEASE(old);
    PC += 1;
    NEXT();
  }
  CASE(AddSubst)
  CASE(SubSubst) {
    TValue v = SP[0];
    TValue& ptr = SP[1];
    CHECK(ptr.kind == vtPointer, "代入先が変数ではありません");
    TValue* cell = cellAt(ptr.ref);
    bool subtract = *PC == Op_SubSubst;
    if (LIKELY(cell->kind == vtInt && v.kind == vtInt)) {
      TValue now = TValue::ofInt(subtract ? int32_t(uint32_t(cell->i) - uint32_t(v.i))
                                          : int32_t(uint32_t(cell->i) + uint32_t(v.i)));
      *cell = now;
      ++SP;
      *SP = now;
    } else {
      SAVE();
      ops::addSubst(subtract, *cell, v);
      ++SP;
      RELEASE(v);
      // The expression's value is the variable's new value. Leaving the pointer
      // would let a script store it (y = x++) or return it out of its frame, and
      // a stored pointer can outlive its target or point at itself.
      TValue now = *cell;
      retain(now);
      *SP = now;
    }
    PC += 1;
    NEXT();
  }
  CASE(Deref) {
    CHECK(SP->kind == vtPointer, "参照先のない値です");
    TValue v = *cellAt(SP->ref);
    retain(v);
    *SP = v;
    PC += 1;
    NEXT();
  }
  CASE(Jump) {
    TAKE_JUMP();
    NEXT();
  }
  CASE(JumpZero) {
    TValue v = *SP++;
    bool truth = isTrue(v);
    RELEASE(v);
    if (!truth)
      TAKE_JUMP();
    else
      PC += 2;
    NEXT();
  }
  // && and ||: the deciding value stays as the whole expression's value; otherwise
  // it is dropped and the next operand decides.
#define SHORT_CIRCUIT(name, jumpWhen) \
  CASE(name) {                        \
    if (isTrue(*SP) == (jumpWhen)) {  \
      TAKE_JUMP();                    \
    } else {                          \
      TValue v = *SP++;               \
      RELEASE(v);                     \
      PC += 2;                        \
    }                                 \
    NEXT();                           \
  }
  SHORT_CIRCUIT(Jump_And, false)
  SHORT_CIRCUIT(Jump_Or, true)
#undef SHORT_CIRCUIT
  CASE(Ret) {
    FrameRecord* fr = reinterpret_cast<FrameRecord*>(FP + 1);
    const Bits result = loadBits(SP);
    storeBits(SP++, 0);
    // Temporaries and locals, then the arguments and the this slot, as raw
    // words: values copied out as TValues here end up on the host stack.
    while (SP <= FP) {
      const Bits v = loadBits(SP);
      storeBits(SP++, 0);
      RELEASE_BITS(v);
    }
    for (int32_t i = fr->argc; i >= 0; --i) {
      const Bits v = loadBits(SELF - i);
      storeBits(SELF - i, 0);
      RELEASE_BITS(v);
    }
    storeBits(SELF, result);
    SP = SELF;
    Ref caller = fr->callerFrame;
    if (caller == 0) {
      p->resultSlot = refOf(SELF);
      p->halted = 1;
      FP = nullptr;
      frameSlots = 0;
      END_SLICE();
      goto slice_done;
    }
    PC = Arena::at<uint32_t>(fr->returnAddress);
    FP = cellAt(caller);
    frameSlots = uint32_t(FP - stackLow);
    SELF = cellAt(reinterpret_cast<FrameRecord*>(FP + 1)->thisSlot);
    NEXT();
  }
  CASE(InitForIn) {
    NEED(2);
    TValue& collection = SP[0];
    TfObject* o = objectOf(collection);
    ClassObject* cls = classOfRecord(o);
    CHECK(cls && runtime().arrayClass && cls->InheritsFrom(runtime().arrayClass),
          "inの後ろの値が配列でありません");
    if (runtime().arrayBodySlot < 0)
      runtime().arrayBodySlot = runtime().arrayClass->members.find(symbols::intern("_x"));
    int32_t slot = runtime().arrayBodySlot;
    TValue body = cls->hasMemberSlot(slot) ? o->members()[slot] : TValue{};
    if (body.kind == vtObject) body = TValue{};  // the body is a host list, never counted
    PUSH(body);
    PUSH(TValue::ofInt(0));
    PC += 1;
    NEXT();
  }
  CASE(DoForIn) {
    int32_t i = SP[0].i;
    TValueList* list = SP[1].kind == vtHost ? hostAs<TValueList>(SP[1].ref) : nullptr;
    TValue* element = list ? list->cellOrNull(i) : nullptr;
    if (!element) {
      TAKE_JUMP();
      NEXT();
    }
    CHECK(SP[3].kind == vtPointer, "代入先が変数ではありません");
    TValue* var = cellAt(SP[3].ref);
    TValue v = *element;
    retain(v);
    TValue old = *var;
    *var = v;
    SP[0] = TValue::ofInt(i + 1);
    RELEASE(old);
    PC += 2;
    NEXT();
  }
  CASE(ClearForIn) {
    TValue collection = SP[2];
    TValue pointer = SP[3];
    SP += 4;
    RELEASE(collection);
    RELEASE(pointer);
    PC += 1;
    NEXT();
  }
  CASE(Point) {
    p->position[0] = PC[1];
    p->position[1] = PC[2];
    p->position[2] = PC[3];
    PC += 4;
    NEXT();
  }
  CASE(Halt) {
    p->halted = 1;
    END_SLICE();
    goto slice_done;
  }

#if ZUNKA_COMPUTED_GOTO
  // Superinstructions (quick_code.h). Each checks everything first and falls
  // back to the written instruction at PC when the budget is short or a check
  // fails, so that only the written code ever raises an error.
quick_none:
  goto* kDispatch[*PC & 63];
#define CANONICAL() goto* kDispatch[*PC & 63]
  // The dispatch that got here counted one step; a run of k takes k - 1 more.
#define NEED_STEPS(k) \
  if (UNLIKELY(avail < (k)-1)) CANONICAL()
#define TAKE_STEPS(k) (avail -= (k)-1)
  // The written code pushes its operands: the same room is needed.
#define NEED_ROOM(n) \
  if (UNLIKELY(SP - (n) < stackLow)) CANONICAL()
#define WORDS_qsLocal 3
#define WORDS_qsConst 3
#define WORDS_qsMember 4
#define WORDS_qsArg 3
  // Operands are read as raw words (see Bits) from the instruction at `code + at`.
#define FETCH_qsLocal(x, code, at)                          \
  if (UNLIKELY((code)[(at) + 1] > frameSlots)) CANONICAL(); \
  const Bits x = loadBits(FP - (code)[(at) + 1])
#define FETCH_qsConst(x, code, at) const Bits x = immediateBits((code) + (at))
  // An argument past the count reads as null, as ArgValPtr_Deref gives it.
#define FETCH_qsArg(x, code, at)                                                                 \
  const Bits x = (code)[(at) + 1] < uint32_t(reinterpret_cast<const FrameRecord*>(FP + 1)->argc) \
                     ? loadBits(SELF - 1 - (code)[(at) + 1])                                     \
                     : Bits {                                                                    \
    0                                                                                            \
  }
#define FETCH_qsMember(x, code, at)                            \
  const TValue* x##Cell = memberCell(*SELF, (code)[(at) + 2]); \
  if (UNLIKELY(!x##Cell)) CANONICAL();                         \
  const Bits x = loadBits(x##Cell)
  // Arithmetic the inline paths of the written instructions do; anything else
  // (strings, errors, division remainders) is left to them.
  // Two reals need no detour through double: single-precision +, - and * round
  // exactly as the double result rounded to single, and compare alike.
#define NUMERIC(a, b, out, intExpr, floatOp)                         \
  if (LIKELY(bothInts(a, b)))                                        \
    out = intBits(int32_t(intExpr));                                 \
  else if (bothFloats(a, b))                                         \
    out = floatBits(floatOf(a) floatOp floatOf(b));                  \
  else if (isNumberBits(a) && isNumberBits(b))                       \
    out = floatBits(float(doubleOfBits(a) floatOp doubleOfBits(b))); \
  else                                                               \
    CANONICAL()
#define APPLY_Add(a, b, out) NUMERIC(a, b, out, uint32_t(intOf(a)) + uint32_t(intOf(b)), +)
#define APPLY_Sub(a, b, out) NUMERIC(a, b, out, uint32_t(intOf(a)) - uint32_t(intOf(b)), -)
#define APPLY_Mul(a, b, out) NUMERIC(a, b, out, uint32_t(intOf(a)) * uint32_t(intOf(b)), *)
#define APPLY_Mod(a, b, out)                  \
  if (LIKELY(bothInts(a, b) && intOf(b) > 0)) \
    out = intBits(intOf(a) % intOf(b));       \
  else                                        \
    CANONICAL()
#define TEST(a, b, rel, out)                   \
  if (LIKELY(bothInts(a, b)))                  \
    out = intOf(a) rel intOf(b);               \
  else if (bothFloats(a, b))                   \
    out = floatOf(a) rel floatOf(b);           \
  else if (isNumberBits(a) && isNumberBits(b)) \
    out = doubleOfBits(a) rel doubleOfBits(b); \
  else                                         \
    CANONICAL()
  // JumpZero at `jz`: on when the test held, else to its target.
#define BRANCH(jz, held) (PC = (held) ? (jz) + 2 : jumpTarget(jz))

  // SOURCE ARITH: the value on top with an operand.
#define SOURCE_ARITH(src, op, opIndex) \
  Q_SourceArith_##src##_##op : {       \
    NEED_STEPS(2);                     \
    NEED_ROOM(1);                      \
    FETCH_##src(b, PC, 0);             \
    const Bits a = loadBits(SP);       \
    Bits out;                          \
    APPLY_##op(a, b, out);             \
    storeBits(SP, out);                \
    TAKE_STEPS(2);                     \
    PC += WORDS_##src + 1;             \
    NEXT();                            \
  }
  // X Y ARITH: pushes the result.
#define PAIR_ARITH(x, y, op, opIndex) \
  Q_PairArith_##x##_##y##_##op : {    \
    NEED_STEPS(3);                    \
    NEED_ROOM(2);                     \
    FETCH_##x(a, PC, 0);              \
    FETCH_##y(b, PC, WORDS_##x);      \
    Bits out;                         \
    APPLY_##op(a, b, out);            \
    storeBits(--SP, out);             \
    TAKE_STEPS(3);                    \
    PC += WORDS_##x + WORDS_##y + 1;  \
    NEXT();                           \
  }
  // X Y COMPARE JumpZero.
#define PAIR_JUMP(x, y, cmp, rel)                 \
  Q_PairJump_##x##_##y##_##cmp : {                \
    NEED_STEPS(4);                                \
    NEED_ROOM(2);                                 \
    FETCH_##x(a, PC, 0);                          \
    FETCH_##y(b, PC, WORDS_##x);                  \
    bool held;                                    \
    TEST(a, b, rel, held);                        \
    TAKE_STEPS(4);                                \
    BRANCH(PC + WORDS_##x + WORDS_##y + 1, held); \
    NEXT();                                       \
  }
  // COMPARE JumpZero on the two values on top.
#define COMPARE_JUMP(cmp, rel)       \
  Q_CompareJump_##cmp : {            \
    NEED_STEPS(2);                   \
    const Bits a = loadBits(SP + 1); \
    const Bits b = loadBits(SP);     \
    bool held;                       \
    TEST(a, b, rel, held);           \
    TAKE_STEPS(2);                   \
    SP += 2;                         \
    BRANCH(PC + 1, held);            \
    NEXT();                          \
  }
  SOURCE_ARITH(qsLocal, Add, 0)
  SOURCE_ARITH(qsLocal, Sub, 1)
  SOURCE_ARITH(qsLocal, Mul, 2)
  SOURCE_ARITH(qsLocal, Mod, 3)
  SOURCE_ARITH(qsConst, Add, 0)
  SOURCE_ARITH(qsConst, Sub, 1)
  SOURCE_ARITH(qsConst, Mul, 2)
  SOURCE_ARITH(qsConst, Mod, 3)
  SOURCE_ARITH(qsMember, Add, 0)
  SOURCE_ARITH(qsMember, Sub, 1)
  SOURCE_ARITH(qsMember, Mul, 2)
  SOURCE_ARITH(qsMember, Mod, 3)
  PAIR_ARITH(qsLocal, qsLocal, Add, 0)
  PAIR_ARITH(qsLocal, qsLocal, Sub, 1)
  PAIR_ARITH(qsLocal, qsLocal, Mul, 2)
  PAIR_ARITH(qsLocal, qsLocal, Mod, 3)
  PAIR_JUMP(qsLocal, qsLocal, GT, >)
  PAIR_JUMP(qsLocal, qsLocal, GTE, >=)
  PAIR_JUMP(qsLocal, qsLocal, LT, <)
  PAIR_JUMP(qsLocal, qsLocal, LTE, <=)
  PAIR_JUMP(qsLocal, qsLocal, EQ, ==)
  PAIR_JUMP(qsLocal, qsLocal, NEQ, !=)
  PAIR_ARITH(qsLocal, qsConst, Add, 0)
  PAIR_ARITH(qsLocal, qsConst, Sub, 1)
  PAIR_ARITH(qsLocal, qsConst, Mul, 2)
  PAIR_ARITH(qsLocal, qsConst, Mod, 3)
  PAIR_JUMP(qsLocal, qsConst, GT, >)
  PAIR_JUMP(qsLocal, qsConst, GTE, >=)
  PAIR_JUMP(qsLocal, qsConst, LT, <)
  PAIR_JUMP(qsLocal, qsConst, LTE, <=)
  PAIR_JUMP(qsLocal, qsConst, EQ, ==)
  PAIR_JUMP(qsLocal, qsConst, NEQ, !=)
  PAIR_ARITH(qsLocal, qsMember, Add, 0)
  PAIR_ARITH(qsLocal, qsMember, Sub, 1)
  PAIR_ARITH(qsLocal, qsMember, Mul, 2)
  PAIR_ARITH(qsLocal, qsMember, Mod, 3)
  PAIR_JUMP(qsLocal, qsMember, GT, >)
  PAIR_JUMP(qsLocal, qsMember, GTE, >=)
  PAIR_JUMP(qsLocal, qsMember, LT, <)
  PAIR_JUMP(qsLocal, qsMember, LTE, <=)
  PAIR_JUMP(qsLocal, qsMember, EQ, ==)
  PAIR_JUMP(qsLocal, qsMember, NEQ, !=)
  PAIR_ARITH(qsMember, qsLocal, Add, 0)
  PAIR_ARITH(qsMember, qsLocal, Sub, 1)
  PAIR_ARITH(qsMember, qsLocal, Mul, 2)
  PAIR_ARITH(qsMember, qsLocal, Mod, 3)
  PAIR_JUMP(qsMember, qsLocal, GT, >)
  PAIR_JUMP(qsMember, qsLocal, GTE, >=)
  PAIR_JUMP(qsMember, qsLocal, LT, <)
  PAIR_JUMP(qsMember, qsLocal, LTE, <=)
  PAIR_JUMP(qsMember, qsLocal, EQ, ==)
  PAIR_JUMP(qsMember, qsLocal, NEQ, !=)
  PAIR_ARITH(qsMember, qsConst, Add, 0)
  PAIR_ARITH(qsMember, qsConst, Sub, 1)
  PAIR_ARITH(qsMember, qsConst, Mul, 2)
  PAIR_ARITH(qsMember, qsConst, Mod, 3)
  PAIR_JUMP(qsMember, qsConst, GT, >)
  PAIR_JUMP(qsMember, qsConst, GTE, >=)
  PAIR_JUMP(qsMember, qsConst, LT, <)
  PAIR_JUMP(qsMember, qsConst, LTE, <=)
  PAIR_JUMP(qsMember, qsConst, EQ, ==)
  PAIR_JUMP(qsMember, qsConst, NEQ, !=)
  PAIR_ARITH(qsMember, qsMember, Add, 0)
  PAIR_ARITH(qsMember, qsMember, Sub, 1)
  PAIR_ARITH(qsMember, qsMember, Mul, 2)
  PAIR_ARITH(qsMember, qsMember, Mod, 3)
  PAIR_JUMP(qsMember, qsMember, GT, >)
  PAIR_JUMP(qsMember, qsMember, GTE, >=)
  PAIR_JUMP(qsMember, qsMember, LT, <)
  PAIR_JUMP(qsMember, qsMember, LTE, <=)
  PAIR_JUMP(qsMember, qsMember, EQ, ==)
  PAIR_JUMP(qsMember, qsMember, NEQ, !=)
  COMPARE_JUMP(GT, >)
  COMPARE_JUMP(GTE, >=)
  COMPARE_JUMP(LT, <)
  COMPARE_JUMP(LTE, <=)
  COMPARE_JUMP(EQ, ==)
  COMPARE_JUMP(NEQ, !=)

  // LocalValPtr / PushThis_SMemberValPtr, X Y ARITH, Subst, Pop. The old value
  // goes only when that has no side effects (see Q_SubstPop).
#define WORDS_Local 2
#define WORDS_Member 3
#define TARGET_Local (PC[1] <= frameSlots ? FP - PC[1] : nullptr)
#define TARGET_Member memberCell(*SELF, PC[2])
#define ASSIGN_PAIR(target, x, y, op)                 \
  Q_Assign_##target##_##x##_##y##_##op : {            \
    NEED_STEPS(6);                                    \
    NEED_ROOM(3);                                     \
    TValue* cell = TARGET_##target;                   \
    if (UNLIKELY(!cell)) CANONICAL();                 \
    FETCH_##x(a, PC, WORDS_##target);                 \
    FETCH_##y(b, PC, WORDS_##target + WORDS_##x);     \
    Bits out;                                         \
    APPLY_##op(a, b, out);                            \
    if (UNLIKELY(!dropOldQuietly(cell))) CANONICAL(); \
    storeBits(cell, out);                             \
    TAKE_STEPS(6);                                    \
    PC += WORDS_##target + WORDS_##x + WORDS_##y + 3; \
    NEXT();                                           \
  }
  ASSIGN_PAIR(Local, qsLocal, qsLocal, Add)
  ASSIGN_PAIR(Local, qsLocal, qsLocal, Sub)
  ASSIGN_PAIR(Local, qsLocal, qsLocal, Mul)
  ASSIGN_PAIR(Local, qsLocal, qsLocal, Mod)
  ASSIGN_PAIR(Local, qsLocal, qsConst, Add)
  ASSIGN_PAIR(Local, qsLocal, qsConst, Sub)
  ASSIGN_PAIR(Local, qsLocal, qsConst, Mul)
  ASSIGN_PAIR(Local, qsLocal, qsConst, Mod)
  ASSIGN_PAIR(Local, qsLocal, qsMember, Add)
  ASSIGN_PAIR(Local, qsLocal, qsMember, Sub)
  ASSIGN_PAIR(Local, qsLocal, qsMember, Mul)
  ASSIGN_PAIR(Local, qsLocal, qsMember, Mod)
  ASSIGN_PAIR(Local, qsMember, qsLocal, Add)
  ASSIGN_PAIR(Local, qsMember, qsLocal, Sub)
  ASSIGN_PAIR(Local, qsMember, qsLocal, Mul)
  ASSIGN_PAIR(Local, qsMember, qsLocal, Mod)
  ASSIGN_PAIR(Local, qsMember, qsConst, Add)
  ASSIGN_PAIR(Local, qsMember, qsConst, Sub)
  ASSIGN_PAIR(Local, qsMember, qsConst, Mul)
  ASSIGN_PAIR(Local, qsMember, qsConst, Mod)
  ASSIGN_PAIR(Local, qsMember, qsMember, Add)
  ASSIGN_PAIR(Local, qsMember, qsMember, Sub)
  ASSIGN_PAIR(Local, qsMember, qsMember, Mul)
  ASSIGN_PAIR(Local, qsMember, qsMember, Mod)
  ASSIGN_PAIR(Member, qsLocal, qsLocal, Add)
  ASSIGN_PAIR(Member, qsLocal, qsLocal, Sub)
  ASSIGN_PAIR(Member, qsLocal, qsLocal, Mul)
  ASSIGN_PAIR(Member, qsLocal, qsLocal, Mod)
  ASSIGN_PAIR(Member, qsLocal, qsConst, Add)
  ASSIGN_PAIR(Member, qsLocal, qsConst, Sub)
  ASSIGN_PAIR(Member, qsLocal, qsConst, Mul)
  ASSIGN_PAIR(Member, qsLocal, qsConst, Mod)
  ASSIGN_PAIR(Member, qsLocal, qsMember, Add)
  ASSIGN_PAIR(Member, qsLocal, qsMember, Sub)
  ASSIGN_PAIR(Member, qsLocal, qsMember, Mul)
  ASSIGN_PAIR(Member, qsLocal, qsMember, Mod)
  ASSIGN_PAIR(Member, qsMember, qsLocal, Add)
  ASSIGN_PAIR(Member, qsMember, qsLocal, Sub)
  ASSIGN_PAIR(Member, qsMember, qsLocal, Mul)
  ASSIGN_PAIR(Member, qsMember, qsLocal, Mod)
  ASSIGN_PAIR(Member, qsMember, qsConst, Add)
  ASSIGN_PAIR(Member, qsMember, qsConst, Sub)
  ASSIGN_PAIR(Member, qsMember, qsConst, Mul)
  ASSIGN_PAIR(Member, qsMember, qsConst, Mod)
  ASSIGN_PAIR(Member, qsMember, qsMember, Add)
  ASSIGN_PAIR(Member, qsMember, qsMember, Sub)
  ASSIGN_PAIR(Member, qsMember, qsMember, Mul)
  ASSIGN_PAIR(Member, qsMember, qsMember, Mod)
#undef ASSIGN_PAIR
#undef TARGET_Local
#undef TARGET_Member
#undef WORDS_Local
#undef WORDS_Member

Q_SubstPop : {
  // Only when the old value goes without side effects: a last reference would
  // run a destructor, which must see the written instructions' state.
  NEED_STEPS(2);
  TValue& ptr = SP[1];
  if (UNLIKELY(ptr.kind != vtPointer)) CANONICAL();
  TValue* cell = cellAt(ptr.ref);
  if (UNLIKELY(!dropOldQuietly(cell))) CANONICAL();
  storeBits(cell, loadBits(SP));  // the top's reference moves into the variable
  SP[0] = TValue{};
  ptr = TValue{};
  SP += 2;
  TAKE_STEPS(2);
  PC += 2;
  NEXT();
}
// LocalValPtr / PushThis_SMemberValPtr, Push c, AddSubst / SubSubst, Pop.
#define CHANGE_BY_CONSTANT(label, cellExpr, firstWords, sign)                     \
  label : {                                                                       \
    NEED_STEPS(4);                                                                \
    NEED_ROOM(2);                                                                 \
    TValue* cell = (cellExpr);                                                    \
    if (UNLIKELY(!cell)) CANONICAL();                                             \
    const uint32_t* push = PC + (firstWords);                                     \
    const Bits now = loadBits(cell);                                              \
    if (UNLIKELY(kindOf(now) != vtInt || (push[1] & 0xFF) != vtInt)) CANONICAL(); \
    storeBits(cell, intBits(int32_t(uint32_t(intOf(now)) sign push[2])));         \
    TAKE_STEPS(4);                                                                \
    PC += (firstWords) + 5;                                                       \
    NEXT();                                                                       \
  }
  CHANGE_BY_CONSTANT(Q_AddLocal, PC[1] <= frameSlots ? FP - PC[1] : nullptr, 2, +)
  CHANGE_BY_CONSTANT(Q_SubLocal, PC[1] <= frameSlots ? FP - PC[1] : nullptr, 2, -)
  CHANGE_BY_CONSTANT(Q_AddMember, memberCell(*SELF, PC[2]), 3, +)
  CHANGE_BY_CONSTANT(Q_SubMember, memberCell(*SELF, PC[2]), 3, -)
#undef CHANGE_BY_CONSTANT

  // A loop's step and test (quickLoopStep): LocalValPtr a; Push c; AddSubst /
  // SubSubst; Pop; Jump, then at the jump's target LocalValPtr_Deref b; BOUND;
  // COMPARE; JumpZero. Everything is checked before the variable changes, and
  // the test reads its new value.
#define STEPPED_qsLocal(x, code, at)                        \
  if (UNLIKELY((code)[(at) + 1] > frameSlots)) CANONICAL(); \
  const Bits x = (code)[(at) + 1] == slot ? next : loadBits(FP - (code)[(at) + 1])
#define STEPPED_qsConst(x, code, at) FETCH_qsConst(x, code, at)
#define STEPPED_qsArg(x, code, at) FETCH_qsArg(x, code, at)
#define LOOP_STEP(name, sign, subtract, bound, boundIndex, cmp, rel, index)  \
  Q_LoopStep_##name##_##bound##_##cmp : {                                    \
    NEED_STEPS(9);                                                           \
    NEED_ROOM(2);                                                            \
    const uint32_t slot = PC[1];                                             \
    if (UNLIKELY(slot > frameSlots || (PC[3] & 0xFF) != vtInt)) CANONICAL(); \
    TValue* cell = FP - slot;                                                \
    const Bits now = loadBits(cell);                                         \
    if (UNLIKELY(kindOf(now) != vtInt)) CANONICAL();                         \
    const Bits next = intBits(int32_t(uint32_t(intOf(now)) sign PC[4]));     \
    uint32_t* head = jumpTarget(PC + 7);                                     \
    STEPPED_qsLocal(a, head, 0);                                             \
    STEPPED_##bound(b, head, 3);                                             \
    bool held;                                                               \
    TEST(a, b, rel, held);                                                   \
    storeBits(cell, next);                                                   \
    TAKE_STEPS(9);                                                           \
    BRANCH(head + 3 + WORDS_##bound + 1, held);                              \
    NEXT();                                                                  \
  }
  FOR_EACH_LOOP_STEP(LOOP_STEP)
#undef LOOP_STEP
#undef STEPPED_qsLocal
#undef STEPPED_qsConst
#undef STEPPED_qsArg

  // X Y ARITH BELOW: the pair's result joined to the value under it, in place.
#define PAIR_BELOW(x, xi, y, op, opi, below, belowi) \
  Q_PairBelow_##x##_##y##_##op##_##below : {         \
    NEED_STEPS(4);                                   \
    NEED_ROOM(2);                                    \
    FETCH_##x(a, PC, 0);                             \
    FETCH_##y(b, PC, WORDS_##x);                     \
    Bits pair;                                       \
    APPLY_##op(a, b, pair);                          \
    const Bits left = loadBits(SP);                  \
    Bits out;                                        \
    APPLY_##below(left, pair, out);                  \
    storeBits(SP, out);                              \
    TAKE_STEPS(4);                                   \
    PC += WORDS_##x + WORDS_##y + 2;                 \
    NEXT();                                          \
  }
  FOR_EACH_PAIR_BELOW(PAIR_BELOW)
#undef PAIR_BELOW

  // Subst of `value` through the pointer in the cell `at`, the old value going
  // as in Q_SubstPop; anything else is left to the written code.
#define STORE_THROUGH_POINTER(at, value)                 \
  do {                                                   \
    const Bits ptr = loadBits(at);                       \
    if (UNLIKELY(kindOf(ptr) != vtPointer)) CANONICAL(); \
    TValue* cell = cellAt(Ref(ptr >> 32));               \
    if (UNLIKELY(!dropOldQuietly(cell))) CANONICAL();    \
    storeBits(cell, value);                              \
  } while (0)

  // SOURCE ARITH Subst Pop: the value on top with an operand, stored through
  // the pointer under it.
#define ASSIGN_SOURCE_ARITH(src, op, opi) \
  Q_AssignSourceArith_##src##_##op : {    \
    NEED_STEPS(4);                        \
    NEED_ROOM(1);                         \
    FETCH_##src(b, PC, 0);                \
    const Bits a = loadBits(SP);          \
    Bits out;                             \
    APPLY_##op(a, b, out);                \
    STORE_THROUGH_POINTER(SP + 1, out);   \
    storeBits(SP, 0);                     \
    storeBits(SP + 1, 0);                 \
    SP += 2;                              \
    TAKE_STEPS(4);                        \
    PC += WORDS_##src + 3;                \
    NEXT();                               \
  }
  FOR_EACH_ASSIGN_SOURCE(ASSIGN_SOURCE_ARITH)
#undef ASSIGN_SOURCE_ARITH

  // ARITH SOURCE ARITH Subst Pop: the two values on top joined, the result with
  // an operand, stored through the pointer under them. The written code never
  // needs more room than it finds here.
#define ARITH_ASSIGN_SOURCE(op, opi, src, then, theni) \
  Q_ArithAssignSource_##op##_##src##_##then : {        \
    NEED_STEPS(5);                                     \
    const Bits a = loadBits(SP + 1);                   \
    const Bits b = loadBits(SP);                       \
    Bits joined;                                       \
    APPLY_##op(a, b, joined);                          \
    FETCH_##src(c, PC, 1);                             \
    Bits out;                                          \
    APPLY_##then(joined, c, out);                      \
    STORE_THROUGH_POINTER(SP + 2, out);                \
    storeBits(SP, 0);                                  \
    storeBits(SP + 1, 0);                              \
    storeBits(SP + 2, 0);                              \
    SP += 3;                                           \
    TAKE_STEPS(5);                                     \
    PC += 1 + WORDS_##src + 3;                         \
    NEXT();                                            \
  }
  FOR_EACH_ARITH_ASSIGN_SOURCE(ARITH_ASSIGN_SOURCE)
#undef ARITH_ASSIGN_SOURCE
#undef STORE_THROUGH_POINTER

  // PushThis; SOURCE; Push c; ARITH; SCall 1, m: a method of this class called
  // with arithmetic on a local or argument. Everything is checked before this is
  // pushed; the call itself is the written one's.
#define SELF_CALL(src, argument, op, opi)                           \
  Q_SelfCall_##src##_##op : {                                       \
    NEED_STEPS(5);                                                  \
    NEED_ROOM(3); /* this, the operand and the constant */          \
    FETCH_##src(a, PC, 1);                                          \
    FETCH_qsConst(b, PC, 1 + WORDS_##src);                          \
    Bits value;                                                     \
    APPLY_##op(a, b, value);                                        \
    uint32_t* call = PC + 1 + WORDS_##src + WORDS_qsConst + 1;      \
    TfObject* thisObject = objectOf(*SELF);                         \
    ClassObject* cls = classOfRecord(thisObject);                   \
    TFunction* f = cls ? cls->MethodAt(int32_t(call[2])) : nullptr; \
    if (UNLIKELY(!f || f->isNative())) CANONICAL();                 \
    ++thisObject->refCount; /* PushThis's reference */              \
    storeBits(SP - 1, loadBits(SELF));                              \
    storeBits(SP - 2, value);                                       \
    SP -= 2;                                                        \
    TAKE_STEPS(5);                                                  \
    argc = 1;                                                       \
    words = 3;                                                      \
    target = SP + 1;                                                \
    callee = static_cast<TNormalFunction*>(f);                      \
    PC = call;                                                      \
    goto enter_frame;                                               \
  }
  QUICK_ARITHMETIC(SELF_CALL, qsArg, true)
  QUICK_ARITHMETIC(SELF_CALL, qsLocal, false)
#undef SELF_CALL

  // PushThis; X; Y; SCall 2, m: this object's method called with two plain
  // arguments (a Push, LocalValPtr_Deref or ArgValPtr_Deref each, all three words
  // long). The three pushes are made as written in one step; the call then goes
  // on as the SCall's, a leaf call where it may be one. One body for every kind
  // of argument: copies of it measurably cost the other instructions registers.
Q_SelfCallPair : {
  NEED_STEPS(4);
  NEED_ROOM(3);
  Bits pair[2];
  for (uint32_t i = 0; i < 2; ++i) {
    const uint32_t at = 1 + 3 * i;  // read through PC: a pointer kept costs a register
    if (PC[at] == Op_Push) {
      pair[i] = immediateBits(PC + at);
    } else if (PC[at] == Op_LocalValPtr_Deref) {
      if (UNLIKELY(PC[at + 1] > frameSlots)) CANONICAL();
      pair[i] = loadBits(FP - PC[at + 1]);
    } else {  // an argument past the count reads as null
      pair[i] = PC[at + 1] < uint32_t(reinterpret_cast<const FrameRecord*>(FP + 1)->argc)
                    ? loadBits(SELF - 1 - PC[at + 1])
                    : Bits{0};
    }
  }
  uint32_t* call = PC + 7;
  TfObject* thisObject = objectOf(*SELF);
  ClassObject* cls = classOfRecord(thisObject);
  TFunction* f = cls ? cls->MethodAt(int32_t(call[2])) : nullptr;
  if (UNLIKELY(!f || f->isNative())) CANONICAL();
  ++thisObject->refCount;  // PushThis's reference
  retainBits(pair[0]);
  retainBits(pair[1]);
  storeBits(SP - 1, loadBits(SELF));
  storeBits(SP - 2, pair[0]);
  storeBits(SP - 3, pair[1]);
  SP -= 3;
  TAKE_STEPS(4);
  argc = 2;
  words = 3;
  target = SP + 2;
  callee = static_cast<TNormalFunction*>(f);
  PC = call;
  goto self_call_leaf;
}

  // Push c; Ret and ARITH; Ret: the value a method returns, made and returned
  // without a dispatch between.
Q_PushRet : {
  NEED_STEPS(2);
  NEED_ROOM(1);
  storeBits(--SP, immediateBits(PC));
  TAKE_STEPS(2);
  PC += 3;
  goto L_Ret;
}
#define ARITH_RET(unused, op, opi)                                                     \
  Q_ArithRet_##op : {                                                                  \
    NEED_STEPS(2);                                                                     \
    const Bits a = loadBits(SP + 1);                                                   \
    const Bits b = loadBits(SP);                                                       \
    Bits out;                                                                          \
    APPLY_##op(a, b, out);                                                             \
    storeBits(++SP, out); /* as the written instruction, the old top stays as it is */ \
    TAKE_STEPS(2);                                                                     \
    PC += 1;                                                                           \
    goto L_Ret;                                                                        \
  }
  QUICK_ARITHMETIC(ARITH_RET, )
#undef ARITH_RET

  // LocalValPtr a; LocalValPtr_Deref b; LocalValPtr_Deref x; Y; ARITH; BELOW:
  // pushes the pointer and b BELOW (x ARITH y), all numbers.
#define POINTER_VALUE_PAIR_BELOW(y, op, opi, below, belowi)              \
  Q_PointerValuePairBelow_##y##_##op##_##below : {                       \
    NEED_STEPS(6);                                                       \
    NEED_ROOM(4);                                                        \
    if (UNLIKELY(PC[1] > frameSlots || PC[3] > frameSlots)) CANONICAL(); \
    const Bits left = loadBits(FP - PC[3]);                              \
    FETCH_qsLocal(a, PC, 5);                                             \
    FETCH_##y(b, PC, 8);                                                 \
    Bits pair;                                                           \
    APPLY_##op(a, b, pair);                                              \
    Bits out;                                                            \
    APPLY_##below(left, pair, out);                                      \
    storeBits(SP - 1, Bits(vtPointer) | Bits(refOf(FP - PC[1])) << 32);  \
    storeBits(SP - 2, out);                                              \
    SP -= 2;                                                             \
    TAKE_STEPS(6);                                                       \
    PC += 8 + WORDS_##y + 2;                                             \
    NEXT();                                                              \
  }
  FOR_EACH_POINTER_VALUE_PAIR_BELOW(POINTER_VALUE_PAIR_BELOW)
#undef POINTER_VALUE_PAIR_BELOW

Q_LocalsThenCall : {
  // LocalValPtr_Deref a; LocalValPtr_Deref b; DCall 1, m: the object and its
  // argument pushed in one step; the call is dispatched as written.
  NEED_STEPS(2);
  NEED_ROOM(2);
  if (UNLIKELY(PC[1] > frameSlots || PC[4] > frameSlots)) CANONICAL();
  const Bits receiver = loadBits(FP - PC[1]);
  const Bits argument = loadBits(FP - PC[4]);
  retainBits(receiver);
  retainBits(argument);
  storeBits(SP - 1, receiver);
  storeBits(SP - 2, argument);
  SP -= 2;
  TAKE_STEPS(2);
  PC += 6;
  NEXT();
}
Q_PointerAndValue : {
  // LocalValPtr a; LocalValPtr_Deref b.
  NEED_STEPS(2);
  NEED_ROOM(2);
  if (UNLIKELY(PC[1] > frameSlots || PC[3] > frameSlots)) CANONICAL();
  const Bits value = loadBits(FP - PC[3]);
  retainBits(value);
  storeBits(SP - 1, Bits(vtPointer) | Bits(refOf(FP - PC[1])) << 32);
  storeBits(SP - 2, value);
  SP -= 2;
  TAKE_STEPS(2);
  PC += 5;
  NEXT();
}
  PAIR_ARITH(qsArg, qsConst, Add, 0)
  PAIR_ARITH(qsArg, qsConst, Sub, 1)
  PAIR_ARITH(qsArg, qsConst, Mul, 2)
  PAIR_ARITH(qsArg, qsConst, Mod, 3)
  PAIR_ARITH(qsArg, qsArg, Add, 0)
  PAIR_ARITH(qsArg, qsArg, Sub, 1)
  PAIR_ARITH(qsArg, qsArg, Mul, 2)
  PAIR_ARITH(qsArg, qsArg, Mod, 3)
  PAIR_JUMP(qsArg, qsConst, GT, >)
  PAIR_JUMP(qsArg, qsConst, GTE, >=)
  PAIR_JUMP(qsArg, qsConst, LT, <)
  PAIR_JUMP(qsArg, qsConst, LTE, <=)
  PAIR_JUMP(qsArg, qsConst, EQ, ==)
  PAIR_JUMP(qsArg, qsConst, NEQ, !=)
#undef SOURCE_ARITH
#undef PAIR_ARITH
#undef PAIR_JUMP
#undef COMPARE_JUMP
#undef BRANCH
#undef TEST
#undef APPLY_Add
#undef APPLY_Sub
#undef APPLY_Mul
#undef APPLY_Mod
#undef NUMERIC
#undef FETCH_qsLocal
#undef FETCH_qsConst
#undef FETCH_qsMember
#undef FETCH_qsArg
#undef WORDS_qsArg
#undef WORDS_qsLocal
#undef WORDS_qsConst
#undef WORDS_qsMember
#undef NEED_ROOM
#undef TAKE_STEPS
#undef NEED_STEPS
#undef CANONICAL
#endif

#if !ZUNKA_COMPUTED_GOTO
  default:
    goto bad_op;
}
#endif

bad_op : SAVE();
ops::badOpcode(*PC);

slice_done : if (avail < 0) avail = 0;
SAVE();

#undef SAVE
#undef PC
#undef SP
#undef FP
#undef SELF
#undef NEED
#undef PUSH
#undef TAKE_JUMP
#undef CHECK
#undef END_SLICE
#undef STOP_IF_KILLED
#undef CASE
#undef NEXT
#undef QUICK_WORD
}

void recordPreemption(TProcess* p) {
  runtime().preempted = true;
  if (p->thisSlot) {
    if (ClassObject* c = classOfRecord(objectOf(*p->thisValue())))
      runtime().preemptedClass = c->name();
  }
}

constexpr const char* kOutOfMemory = "メモリが足りません";

void reportFailure(TProcess* p, const EError& e) {
  TTraceList trace = Trace(p);
  LogError(e.message(), trace, true);
  p->state = 2;
  p->Kill();
}

}  // namespace

// Makes a process current for the length of a run, and puts the outer one back
// however the run ends.
class CurrentProcessScope {
 public:
  explicit CurrentProcessScope(TProcess* p) : p_(p), outer_(runtime().current) {
    runtime().current = p;
    p->running = true;
    ++runtime().nestedRuns;
    runtime().work.enterRun();
  }
  ~CurrentProcessScope() {
    runtime().work.leaveRun();
    --runtime().nestedRuns;
    p_->running = false;
    runtime().current = outer_;
    if (p_->destroyPending) delete p_;
    // The outer run stops at the instruction that started this one once the
    // host's allowance is spent.
    if (outer_ && runtime().work.spent()) outer_->EndSlice();
  }

 private:
  TProcess* p_;
  TProcess* outer_;
};

namespace {

// Charges one slice to the host's allowance however it ends.
class SliceCharge {
 public:
  explicit SliceCharge(TProcess* p) : p_(p) { runtime().work.sliceStarted(p); }
  ~SliceCharge() { runtime().work.sliceFinished(p_); }

 private:
  TProcess* p_;
};

// The pause routine shows the debugger, whose own runs (snippets, the collector)
// are the host's, not the paused run's: they get an allowance of their own.
bool pauseWithOwnAllowance() {
  WorkAllowance paused = std::move(runtime().work);
  runtime().work = WorkAllowance();
  bool stopped = runtime().pauseRoutine();
  runtime().work = std::move(paused);
  return stopped;
}

}  // namespace

namespace {

void runSlices(TProcess* p, int32_t steps) {
  if (steps <= 0) steps = kUnlimitedSteps;
  // A process already running further out (a native running its own caller) is
  // left alone: running it again would re-enter the instruction that called.
  if (!p || !p->hasFrame() || p->halted || p->running) return;
  // A nested run gets no more than what is left of the host's allowance, and
  // none at all once it is spent: it keeps its place for its next turn.
  if (runtime().work.active()) {
    int64_t left = runtime().work.left();
    if (left <= 0) return;
    steps = int32_t(std::min<int64_t>(steps, left));
  }
  CurrentProcessScope scope(p);
  if (runtime().nestedRuns > kMaxNestedRuns) {
    // Processes running processes without end (each exec() inside the one before)
    // would exhaust the host's stack: the innermost one fails instead.
    reportFailure(p, ERuntimeError("スタックオーバーフロー"));
    return;
  }
  p->yieldFlag = 0;
  try {
    while (steps > 0 && !p->yieldFlag && !p->halted) {
      int32_t avail = std::min(steps, runtime().debugStepBudget);
      if (avail > 0) {
        p->avail = avail;
        p->slice = avail;
        p->sliceEnded = 0;
        {
          SliceCharge charge(p);
          execute(p);
        }
        if (runtime().debugStepBudget < kUnlimitedSteps) runtime().debugStepBudget -= p->slice;
        steps -= p->slice;
        // Nested runs spent part of the allowance meanwhile.
        steps = int32_t(std::min<int64_t>(steps, runtime().work.left()));
      }
      if (runtime().debugStepBudget <= 0) {
        bool stopped = false;
        if (runtime().pauseRoutine)
          stopped = pauseWithOwnAllowance();
        else
          runtime().debugStepBudget = kUnlimitedSteps;  // no debugger to wait for
        // After a stop the run goes on with what is left of its own steps, but at
        // least the user's budget: stepping goes on inside this run however long
        // it takes, and a run resumed after a stop finishes the frame's work in
        // this frame. A breakpoint that was not reached leaves the run its own
        // count, so a frame still ends where it would.
        if (stopped && runtime().debugStepBudget < kUnlimitedSteps)
          steps = std::max(steps, runtime().debugStepBudget);
        if (runtime().debugStepBudget <= 0) break;  // still paused: the program is ending
      }
    }
    if (steps <= 0 && runtime().preemptWatch) recordPreemption(p);
  } catch (const EError& e) {
    reportFailure(p, e);
  } catch (const std::bad_alloc&) {
    // A script that keeps growing its data ends, not the player.
    reportFailure(p, ERuntimeError(kOutOfMemory));
  } catch (const std::length_error&) {
    reportFailure(p, ERuntimeError(kOutOfMemory));
  }
}

}  // namespace

// Note: a process destroyed by its own script during a run is gone when Run
// returns; callers that keep a process across a run hold its handle.
void Run(TProcess* p, int32_t steps) {
  runSlices(p, steps);
  // Destructors that had to wait run once the outermost run is over.
  if (runtime().nestedRuns == 0) RunWaitingDestructors();
}

void Warn(TProcess* p, const std::string& text) {
  if (text == runtime().lastWarning) return;
  runtime().lastWarning = text;
  LogError(text, p ? Trace(p) : TTraceList{}, true);
}

TTraceList Trace(const TProcess* p) {
  TTraceList trace;
  if (!p || p->released) return trace;
  // The innermost frame stands on the instruction that is running: a statement
  // whose first instruction failed starts at that very address, so the lookup
  // (which wants a start before the address) is given the next byte.
  Ref address = p->pc + 1;
  for (Ref f = p->fp, below = 0;
       f != 0 && f > below && f >= p->stack && f + 40 <= p->stack + TProcess::kStackBytes;) {
    below = f;
    const FrameRecord* fr = p->frame(f);
    const TCompiledInfo* code = nullptr;
    if (auto* fn = hostAs<TNormalFunction>(fr->function)) {
      code = fn->code.get();
    } else if (ClassObject* c = classOfRecord(objectOf(*valueAt(fr->thisSlot)))) {
      code = c->classCode.get();
    }
    if (code && code->owner()) {
      std::string where = code->Locate(address);
      size_t comma = where.rfind(',');
      if (where != "none" && comma != std::string::npos)
        trace.push_back(
            TTraceEntry{code->owner()->sourcePath(), std::atoi(where.c_str() + comma + 1)});
    }
    address = fr->returnAddress;
    f = fr->callerFrame;
  }
  return trace;
}

}  // namespace zunka::vm
