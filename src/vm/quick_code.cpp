#include "vm/quick_code.h"

#include <optional>

#include "vm/opcodes.h"

namespace zunka::vm {
namespace {

// Reads a block's instructions without ever looking past its end.
class Reader {
 public:
  Reader(const uint32_t* words, uint32_t count) : words_(words), count_(count) {}

  uint32_t op(uint64_t at) const { return at < count_ ? words_[at] : uint32_t(Op_Halt); }
  // The length of the instruction at `at`, 0 when there is none (past the end or
  // an unknown code).
  uint64_t length(uint64_t at) const {
    const OpcodeFacts* facts = opcodeFacts(op(at));
    if (at >= count_ || !facts) return 0;
    uint64_t n = facts->words ? facts->words : 2 + uint64_t(op(at + 1)) / 4;
    return at + n <= count_ ? n : 0;
  }

 private:
  const uint32_t* words_;
  uint32_t count_;
};

std::optional<uint32_t> sourceAt(const Reader& r, uint64_t at) {
  switch (r.op(at)) {
    case Op_LocalValPtr_Deref:
      return qsLocal;
    case Op_Push:
      return qsConst;
    case Op_PushThis_SMemberValPtr_Deref:
      return qsMember;
    default:
      return std::nullopt;
  }
}

std::optional<uint32_t> arithmeticAt(const Reader& r, uint64_t at) {
  switch (r.op(at)) {
    case Op_Add:
      return 0;
    case Op_Sub:
      return 1;
    case Op_Mul:
      return 2;
    case Op_Mod:
      return 3;
    default:
      return std::nullopt;
  }
}

std::optional<uint32_t> comparisonAt(const Reader& r, uint64_t at) {
  uint32_t op = r.op(at);
  if (op >= Op_GT && op <= Op_NEQ) return op - Op_GT;
  return std::nullopt;
}

// Where the jump at `at` goes; nullopt when that is outside the block or not
// on a word.
std::optional<uint64_t> jumpTargetAt(const Reader& r, uint64_t at) {
  int32_t bytes = int32_t(r.op(at + 1));
  if (bytes % 4 != 0) return std::nullopt;
  int64_t target = int64_t(at) + bytes / 4;
  if (target < 0 || !r.length(uint64_t(target))) return std::nullopt;
  return uint64_t(target);
}

// LocalValPtr a; Push c; AddSubst / SubSubst; Pop; Jump to a test of a local
// against a constant, a local or an argument (LocalValPtr_Deref, Push /
// LocalValPtr_Deref / ArgValPtr_Deref, COMPARE, JumpZero): the step and test
// that close a counting loop.
uint32_t loopStepAt(const Reader& r, uint64_t at) {
  if (r.op(at) != Op_LocalValPtr || r.op(at + 2) != Op_Push) return 0;
  uint32_t change = r.op(at + 5);
  if ((change != Op_AddSubst && change != Op_SubSubst) || r.op(at + 6) != Op_Pop ||
      r.op(at + 7) != Op_Jump || !r.length(at + 7))
    return 0;
  auto head = jumpTargetAt(r, at + 7);
  if (!head || r.op(*head) != Op_LocalValPtr_Deref) return 0;
  uint32_t bound;
  switch (r.op(*head + 3)) {
    case Op_Push:
      bound = qbConst;
      break;
    case Op_LocalValPtr_Deref:
      bound = qbLocal;
      break;
    case Op_ArgValPtr_Deref:
      bound = qbArg;
      break;
    default:
      return 0;
  }
  auto cmp = comparisonAt(r, *head + 6);
  if (!cmp || r.op(*head + 7) != Op_JumpZero || !r.length(*head + 7)) return 0;
  return quickLoopStep(change == Op_SubSubst, bound, *cmp);
}

// PushThis; LocalValPtr_Deref / ArgValPtr_Deref; Push c; ARITH; SCall 1, m.
uint32_t selfCallAt(const Reader& r, uint64_t at) {
  uint32_t source = r.op(at + 1);
  if (r.op(at) != Op_PushThis || (source != Op_LocalValPtr_Deref && source != Op_ArgValPtr_Deref) ||
      r.op(at + 4) != Op_Push)
    return 0;
  auto op = arithmeticAt(r, at + 7);
  if (!op || r.op(at + 8) != Op_SCall || r.op(at + 9) != 1 || !r.length(at + 8)) return 0;
  return quickSelfCall(source == Op_ArgValPtr_Deref, *op);
}

// Push, LocalValPtr_Deref or ArgValPtr_Deref, as QuickBound names them.
std::optional<uint32_t> plainArgumentAt(const Reader& r, uint64_t at) {
  if (!r.length(at)) return std::nullopt;
  switch (r.op(at)) {
    case Op_Push:
      return qbConst;
    case Op_LocalValPtr_Deref:
      return qbLocal;
    case Op_ArgValPtr_Deref:
      return qbArg;
    default:
      return std::nullopt;
  }
}

// PushThis; X; Y; SCall 2, m, X and Y plain arguments (plainArgumentAt).
uint32_t selfCallPairAt(const Reader& r, uint64_t at) {
  if (r.op(at) != Op_PushThis) return 0;
  auto x = plainArgumentAt(r, at + 1);
  if (!x) return 0;
  const uint64_t second = at + 1 + r.length(at + 1);
  auto y = plainArgumentAt(r, second);
  if (!y) return 0;
  const uint64_t call = second + r.length(second);
  if (r.op(call) != Op_SCall || r.op(call + 1) != 2 || !r.length(call)) return 0;
  return quickSelfCallPair(*x, *y);
}

// The superinstruction that starts at `at`, the longest that fits; 0 for none.
uint32_t superinstructionAt(const Reader& r, uint64_t at) {
  uint32_t first = r.op(at);
  if (uint32_t step = loopStepAt(r, at)) return step;
  if (uint32_t call = selfCallAt(r, at)) return call;
  if (uint32_t call = selfCallPairAt(r, at)) return call;
  if (first == Op_LocalValPtr_Deref && r.op(at + 3) == Op_LocalValPtr_Deref &&
      r.op(at + 6) == Op_DCall && r.op(at + 7) == 1 && r.length(at) && r.length(at + 3) &&
      r.length(at + 6))
    return qLocalsThenCall;
  if (r.op(at + r.length(at)) == Op_Ret && r.length(at)) {
    if (first == Op_Push) return qPushRet;
    if (auto op = arithmeticAt(r, at)) return qArithRet + *op;
  }
  // Increments of a local or a member by a constant, as a statement.
  if ((first == Op_LocalValPtr || first == Op_PushThis_SMemberValPtr) && r.length(at)) {
    uint64_t push = at + r.length(at);
    uint64_t change = push + 3;
    if (r.op(push) == Op_Push && r.length(push) &&
        (r.op(change) == Op_AddSubst || r.op(change) == Op_SubSubst) &&
        r.op(change + 1) == Op_Pop && r.length(change + 1)) {
      bool add = r.op(change) == Op_AddSubst;
      if (first == Op_LocalValPtr) return add ? qAddLocal : qSubLocal;
      return add ? qAddMember : qSubMember;
    }
  }
  if ((first == Op_LocalValPtr || first == Op_PushThis_SMemberValPtr) && r.length(at)) {
    uint64_t x = at + r.length(at);
    if (uint32_t pair = superinstructionAt(r, x);
        pair >= qPairArithmetic && pair < qPairCompareJump) {
      uint64_t y = x + r.length(x);
      uint64_t op = y + r.length(y);
      if (r.op(op + 1) == Op_Subst && r.op(op + 2) == Op_Pop && r.length(op + 2))
        return qAssignPair + (first == Op_LocalValPtr ? 0 : 2 * kQuickSources * kQuickArithmetic) +
               (pair - qPairArithmetic);
    }
  }
  if (first == Op_LocalValPtr && r.op(at + 2) == Op_LocalValPtr_Deref && r.length(at + 2)) {
    // The pair's first operand a local: the first block of qPairArithmeticBelow.
    uint32_t pair = superinstructionAt(r, at + 5);
    if (pair >= qPairArithmeticBelow &&
        pair < qPairArithmeticBelow + kQuickSources * kQuickArithmetic * kQuickArithmetic)
      return qPointerValuePairBelow + (pair - qPairArithmeticBelow);
    return qPointerAndValue;
  }
  if (first == Op_Subst && r.op(at + 1) == Op_Pop && r.length(at + 1)) return qSubstPop;
  if (auto op = arithmeticAt(r, at); op && r.length(at)) {
    const uint64_t source = at + r.length(at);
    if (auto x = sourceAt(r, source); x && r.length(source)) {
      const uint64_t then = source + r.length(source);
      if (auto op2 = arithmeticAt(r, then);
          op2 && r.op(then + 1) == Op_Subst && r.op(then + 2) == Op_Pop && r.length(then + 2))
        return quickArithAssignSource(*op, *x, *op2);
    }
  }
  if (auto cmp = comparisonAt(r, at); cmp && r.op(at + 1) == Op_JumpZero && r.length(at + 1))
    return qCompareJump + *cmp;

  if (first == Op_ArgValPtr_Deref && r.length(at)) {
    uint64_t second = at + r.length(at);
    uint64_t third = second + r.length(second);
    if (r.op(second) == Op_Push && r.length(second)) {
      if (auto cmp = comparisonAt(r, third);
          cmp && r.op(third + 1) == Op_JumpZero && r.length(third + 1))
        return qArgConstCompareJump + *cmp;
      if (auto op = arithmeticAt(r, third); op && r.length(third)) return qArgConstArithmetic + *op;
    }
    if (r.op(second) == Op_ArgValPtr_Deref && r.length(second))
      if (auto op = arithmeticAt(r, third); op && r.length(third)) return qArgArgArithmetic + *op;
    return 0;
  }

  auto x = sourceAt(r, at);
  if (!x || !r.length(at)) return 0;
  uint64_t second = at + r.length(at);
  if (*x != qsConst) {
    uint32_t pairX = *x == qsLocal ? 0 : 1;
    if (auto y = sourceAt(r, second); y && r.length(second)) {
      uint64_t third = second + r.length(second);
      if (auto cmp = comparisonAt(r, third);
          cmp && r.op(third + 1) == Op_JumpZero && r.length(third + 1))
        return quickPairCompareJump(pairX, *y, *cmp);
      if (auto op = arithmeticAt(r, third); op && r.length(third)) {
        if (auto below = arithmeticAt(r, third + 1); below && r.length(third + 1))
          return quickPairArithmeticBelow(pairX, *y, *op, *below);
        return quickPairArithmetic(pairX, *y, *op);
      }
    }
  }
  if (auto op = arithmeticAt(r, second); op && r.length(second)) {
    if (r.op(second + 1) == Op_Subst && r.op(second + 2) == Op_Pop && r.length(second + 2))
      return quickAssignSourceArithmetic(*x, *op);
    return quickSourceArithmetic(*x, *op);
  }
  return 0;
}

}  // namespace

void quickenCode(const uint32_t* words, uint32_t count, uint32_t* quick) {
  Reader r(words, count);
  for (uint32_t i = 0; i < count; ++i) quick[i] = 0;
  for (uint64_t at = 0; at < count;) {
    uint64_t n = r.length(at);
    if (n == 0) break;  // an unknown word: the rest runs as written
    uint32_t super = words[at] == Op_DCall ? uint32_t(qMethodCall) : superinstructionAt(r, at);
    quick[at] = super ? super : words[at] + 1;
    at += n;
  }
}

std::optional<ForwardingShape> forwardingShapeOf(const uint32_t* words, uint32_t count) {
  Reader r(words, count);
  if (r.op(0) != Op_PushThis) return std::nullopt;
  ForwardingShape shape;
  uint64_t at = r.length(0);
  for (;; at += r.length(at)) {
    if (!r.length(at) || at > UINT16_MAX) return std::nullopt;
    ForwardingShape::Source source;
    switch (r.op(at)) {
      case Op_PushThis_SMemberValPtr_Deref:
        source = ForwardingShape::Source::Member;
        break;
      case Op_ArgValPtr_Deref:
        source = ForwardingShape::Source::Argument;
        break;
      case Op_Push:
        source = ForwardingShape::Source::Constant;
        break;
      default:
        goto pushed;
    }
    if (shape.pushes == ForwardingShape::kMostPushes) return std::nullopt;
    const uint32_t operand = source == ForwardingShape::Source::Member     ? r.op(at + 2)
                             : source == ForwardingShape::Source::Argument ? r.op(at + 1)
                                                                           : 0;
    shape.push[shape.pushes++] = {source, uint16_t(at), operand};
  }
pushed:
  if (r.op(at) != Op_NativeCall || r.op(at + 1) != shape.pushes) return std::nullopt;
  shape.nativeCallAt = uint16_t(at);
  shape.memberThenArgument = shape.pushes == 2 &&
                             shape.push[0].source == ForwardingShape::Source::Member &&
                             shape.push[1].source == ForwardingShape::Source::Argument;
  uint64_t next = at + r.length(at);
  if (r.op(next) == Op_Ret && r.length(next)) {
    shape.ending = ForwardingShape::Ending::Result;
    return shape;
  }
  if (r.op(next) == Op_Pop && r.op(next + 1) == Op_PushThis && r.op(next + 2) == Op_Ret &&
      r.length(next + 2)) {
    shape.ending = ForwardingShape::Ending::This;
    shape.mayLookUp = false;
    return shape;
  }
  return std::nullopt;
}

}  // namespace zunka::vm
