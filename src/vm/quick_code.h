#pragma once
#include <cstdint>
#include <optional>

namespace zunka::vm {

// The quick form of a code block: one word beside each instruction (in the
// arena's shadow region, Arena::quickWords) telling the interpreter how to run
// the instructions that start there. The block's own words never change, so
// listings, class files, return addresses and positions stay what they were.
//
//   0            no quick form: run the instruction as written
//   code + 1     the instruction as written (code is its opcode)
//   kQuickFirst… a superinstruction: a run of instructions done in one step
//
// A superinstruction stands for a fixed run of instructions and does all of them
// only when the slice's budget has room for each and every check it makes passes
// (numbers of the right kinds, slots in range); otherwise the first instruction
// of the run executes as written, so budgets, errors and positions are exactly
// those of the written code. Operands are always read from the written words.

// Where the operand of a superinstruction comes from: a local variable
// (LocalValPtr_Deref), a constant (Push) or a member of `this`
// (PushThis_SMemberValPtr_Deref).
enum QuickSource : uint32_t { qsLocal = 0, qsConst = 1, qsMember = 2, kQuickSources = 3 };
// Arithmetic a superinstruction folds in: Add, Sub, Mul, Mod.
inline constexpr uint32_t kQuickArithmetic = 4;
// Comparisons: GT, GTE, LT, LTE, EQ, NEQ.
inline constexpr uint32_t kQuickComparisons = 6;

// What a loop's test compares its variable with: Push, LocalValPtr_Deref or
// ArgValPtr_Deref.
enum QuickBound : uint32_t { qbConst = 0, qbLocal = 1, qbArg = 2, kQuickBounds = 3 };

enum QuickCode : uint32_t {
  kQuickFirst = 64,
  qSubstPop = kQuickFirst,  // Subst Pop
  qAddLocal,                // LocalValPtr a; Push c; AddSubst; Pop
  qSubLocal,                // LocalValPtr a; Push c; SubSubst; Pop
  qAddMember,               // PushThis_SMemberValPtr m; Push c; AddSubst; Pop
  qSubMember,               // PushThis_SMemberValPtr m; Push c; SubSubst; Pop
  // SOURCE ARITH: the top of the stack with an operand
  qSourceArithmetic,
  // SOURCE SOURCE ARITH: x (a local or member) with y (any source), pushed
  qPairArithmetic = qSourceArithmetic + kQuickSources * kQuickArithmetic,
  // SOURCE SOURCE COMPARE JumpZero
  qPairCompareJump = qPairArithmetic + 2 * kQuickSources * kQuickArithmetic,
  // COMPARE JumpZero on the two values on top of the stack
  qCompareJump = qPairCompareJump + 2 * kQuickSources * kQuickComparisons,
  // LocalValPtr a / PushThis_SMemberValPtr m, SOURCE SOURCE ARITH, Subst, Pop:
  // a statement assigning arithmetic on two operands to a local or a member
  qAssignPair = qCompareJump + kQuickComparisons,
  // Arguments as operands (ArgValPtr_Deref), in the shapes short methods take:
  // ARG CONST ARITH, ARG ARG ARITH (pushed), and ARG CONST COMPARE JumpZero
  qArgConstArithmetic = qAssignPair + 2 * 2 * kQuickSources * kQuickArithmetic,
  qArgArgArithmetic = qArgConstArithmetic + kQuickArithmetic,
  qArgConstCompareJump = qArgArgArithmetic + kQuickArithmetic,
  // A loop's step and test: LocalValPtr a; Push c; AddSubst / SubSubst; Pop; Jump
  // back to LocalValPtr_Deref b; BOUND; COMPARE; JumpZero, where the bound is a
  // constant, a local or an argument (see QuickBound)
  qLoopStep = qArgConstCompareJump + kQuickComparisons,
  // X Y ARITH ARITH: a pair's result with the value below it on the stack
  qPairArithmeticBelow = qLoopStep + 2 * kQuickBounds * kQuickComparisons,
  // SOURCE ARITH Subst Pop: the value on top with an operand, stored through
  // the pointer below it
  qAssignSourceArithmetic =
      qPairArithmeticBelow + 2 * kQuickSources * kQuickArithmetic * kQuickArithmetic,
  // LocalValPtr a; LocalValPtr_Deref b: how `a = b op ...` starts
  qPointerAndValue = qAssignSourceArithmetic + kQuickSources * kQuickArithmetic,
  // PushThis; LocalValPtr_Deref / ArgValPtr_Deref; Push c; ARITH; SCall 1, m:
  // this object's method called on arithmetic, as recursion does
  qSelfCall = qPointerAndValue + 1,
  // Push c; Ret and ARITH; Ret: a method's last value and its return
  qPushRet = qSelfCall + 2 * kQuickArithmetic,
  qArithRet = qPushRet + 1,
  // LocalValPtr a; LocalValPtr_Deref b; then a local X, any Y, ARITH ARITH: how
  // `a = b + x * y` starts, the value below the pair being b's
  qPointerValuePairBelow = qArithRet + kQuickArithmetic,
  // DCall: the same call, which may forward (a forwarding method's native run
  // without the method's frame, ForwardingShape)
  qMethodCall = qPointerValuePairBelow + kQuickSources * kQuickArithmetic * kQuickArithmetic,
  // PushThis; X; Y; SCall 2, m, each of X and Y a Push, LocalValPtr_Deref or
  // ArgValPtr_Deref (named as QuickBound names them): this object's method
  // called with two plain arguments, as helper methods are
  qSelfCallPair,
  // LocalValPtr_Deref a; LocalValPtr_Deref b; DCall 1, m: `a.m(b)` on two locals
  qLocalsThenCall = qSelfCallPair + kQuickBounds * kQuickBounds,
  // ARITH SOURCE ARITH Subst Pop: the two values on top joined, then with an
  // operand, stored through the pointer under them: how `a = (b + c.m()) % k`
  // ends once the call returned
  qArithAssignSource,
  kQuickEnd = qArithAssignSource + kQuickArithmetic * kQuickSources * kQuickArithmetic,
};
inline constexpr uint32_t kQuickTableSize = 512;
static_assert(kQuickEnd <= kQuickTableSize);

// `x` is the first operand of a pair: 0 for a local, 1 for a member.
constexpr uint32_t quickSourceArithmetic(uint32_t source, uint32_t op) {
  return qSourceArithmetic + source * kQuickArithmetic + op;
}
constexpr uint32_t quickPairArithmetic(uint32_t x, uint32_t y, uint32_t op) {
  return qPairArithmetic + (x * kQuickSources + y) * kQuickArithmetic + op;
}
constexpr uint32_t quickPairCompareJump(uint32_t x, uint32_t y, uint32_t comparison) {
  return qPairCompareJump + (x * kQuickSources + y) * kQuickComparisons + comparison;
}

// `target` is 0 for a local, 1 for a member.
constexpr uint32_t quickAssignPair(uint32_t target, uint32_t x, uint32_t y, uint32_t op) {
  return qAssignPair + ((target * 2 + x) * kQuickSources + y) * kQuickArithmetic + op;
}

// `subtract` for SubSubst.
constexpr uint32_t quickLoopStep(bool subtract, uint32_t bound, uint32_t comparison) {
  return qLoopStep + ((subtract ? uint32_t(kQuickBounds) : 0u) + bound) * kQuickComparisons +
         comparison;
}
// `below` is the arithmetic joining the pair's result to the value below it.
constexpr uint32_t quickPairArithmeticBelow(uint32_t x, uint32_t y, uint32_t op, uint32_t below) {
  return qPairArithmeticBelow +
         ((x * kQuickSources + y) * kQuickArithmetic + op) * kQuickArithmetic + below;
}
constexpr uint32_t quickAssignSourceArithmetic(uint32_t source, uint32_t op) {
  return qAssignSourceArithmetic + source * kQuickArithmetic + op;
}

// `argument` when the operand is an argument rather than a local.
constexpr uint32_t quickSelfCall(bool argument, uint32_t op) {
  return qSelfCall + (argument ? kQuickArithmetic : 0) + op;
}

// `x` and `y` name the arguments' instructions as QuickBound does.
constexpr uint32_t quickSelfCallPair(uint32_t x, uint32_t y) {
  return qSelfCallPair + x * kQuickBounds + y;
}

// `op` joins the two values on top, `then` joins the result with the source.
constexpr uint32_t quickArithAssignSource(uint32_t op, uint32_t source, uint32_t then) {
  return qArithAssignSource + (op * kQuickSources + source) * kQuickArithmetic + then;
}

constexpr uint32_t quickPointerValuePairBelow(uint32_t y, uint32_t op, uint32_t below) {
  return qPointerValuePairBelow + (y * kQuickArithmetic + op) * kQuickArithmetic + below;
}

// Writes the quick form of `count` code words into `quick` (as many words).
void quickenCode(const uint32_t* words, uint32_t count, uint32_t* quick);

// A method whose body only hands members of `this`, its arguments and constants
// to a native and returns, as the kernel's containers are written
// (`function get(k) { return _n_get(_h, k); }`, `function put(k, v) { _n_put(_h,
// k, v); }`):
//
//   PushThis; PUSH...; NativeCall n; Ret
//   PushThis; PUSH...; NativeCall n; Pop; PushThis; Ret
//
// each PUSH (n of them) a PushThis_SMemberValPtr_Deref, ArgValPtr_Deref or Push.
// A call site in the quick form (qMethodCall) calls the native of such a body
// straight away when the native is plain (vm/forwarded_call.h), counting the
// steps of every instruction of the body. Only the shape and the operands'
// numbers are kept: a constant is read from the written words when the call runs.
struct ForwardingShape {
  static constexpr uint32_t kMostPushes = 6;
  enum class Source : uint8_t { Member, Argument, Constant };
  // What the body returns: the native's result, or `this` (Pop; PushThis; Ret).
  enum class Ending : uint8_t { Result, This };
  struct Push {
    Source source;
    uint16_t at;  // word offset of the instruction in the body
    // The argument's index or the member's slot, as the instruction names it (the
    // words never change): a call reads it without going back to the body.
    uint32_t operand = 0;
  };

  uint8_t pushes = 0;  // the native's argument count
  Ending ending = Ending::Result;
  // The containers' everyday shape, `_n_get(_h, k)`: a member of `this`, then an
  // argument, read without going through the general list.
  bool memberThenArgument = false;
  // False once a call found the body's native without a lookup, or when the body
  // returns `this`: calls then go straight to the general path, which asks a
  // lookup itself should the native gain one. Only ever a shortcut.
  mutable bool mayLookUp = true;
  uint16_t nativeCallAt = 0;  // word offset of the NativeCall
  Push push[kMostPushes] = {};

  // The instructions a call runs: the DCall, PushThis, the pushes, NativeCall
  // and the ending.
  int32_t steps() const { return pushes + (ending == Ending::Result ? 4 : 6); }
};

// The shape of a method body of `count` words, when it is one.
std::optional<ForwardingShape> forwardingShapeOf(const uint32_t* words, uint32_t count);

}  // namespace zunka::vm
