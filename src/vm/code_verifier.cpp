#include "vm/code_verifier.h"

#include "vm/opcodes.h"
#include "vm/value.h"

namespace zunka::vm {
namespace {

constexpr int kUnvisited = -1;

// What each instruction needs on the stack and how it changes the depth. Calls
// consume their arguments and leave the result in the target slot below them.
struct StackEffect {
  int64_t needs;
  int64_t delta;
};

StackEffect effectOf(const uint32_t* at) {
  switch (at[0]) {
    case Op_Push:
    case Op_PushString:
    case Op_PushThis:
    case Op_LocalValPtr:
    case Op_ArgValPtr:
    case Op_PushThis_SMemberValPtr:
    case Op_PushThis_SMemberValPtr_Deref:
    case Op_LocalValPtr_Deref:
    case Op_ArgValPtr_Deref:
    case Op_Push_Deref:
      return {0, 1};
    case Op_Pop:
    case Op_JumpZero:
      return {1, -1};
    case Op_SMemberValPtr:
    case Op_DMemberValPtr:
    case Op_DMemberValPtr_Deref:
    case Op_Is:
    case Op_Not:
    case Op_Neg:
    case Op_Deref:
      return {1, 0};
    case Op_DCall:
    case Op_SCall:
    case Op_SuperCall:
    case Op_NativeCall:
    case Op_Constructor:
      return {int64_t(at[1]) + 1, -int64_t(at[1])};
    case Op_Add:
    case Op_Sub:
    case Op_Mul:
    case Op_Div:
    case Op_Mod:
    case Op_GT:
    case Op_GTE:
    case Op_LT:
    case Op_LTE:
    case Op_EQ:
    case Op_NEQ:
    case Op_Subst:
    case Op_AddSubst:
    case Op_SubSubst:
      return {2, -1};
    case Op_Jump_And:
    case Op_Jump_Or:  // falls through popped; the jump keeps the value
      return {1, -1};
    case Op_Ret:
      return {1, 0};
    case Op_InitForIn:
      return {1, 2};
    case Op_DoForIn:
      return {4, 0};
    case Op_ClearForIn:
      return {4, -4};
    default:  // And, Or, Jump, Point, Halt
      return {0, 0};
  }
}

bool isJump(uint32_t op) {
  return op == Op_Jump || op == Op_JumpZero || op == Op_Jump_And || op == Op_Jump_Or ||
         op == Op_DoForIn;
}

// Instructions whose operand is a symbol, handle or pointer: linking must rewrite them.
bool mustBeLinked(uint32_t op) {
  switch (op) {
    case Op_DMemberValPtr:
    case Op_DMemberValPtr_Deref:
    case Op_DCall:
    case Op_SuperCall:
    case Op_NativeCall:
    case Op_Constructor:
    case Op_Is:
      return true;
    default:
      return false;
  }
}

class Verifier {
 public:
  Verifier(const std::vector<uint32_t>& words, const TSymInfoList& symbols)
      : w_(words),
        symbols_(symbols),
        starts_(words.size() + 1, false),
        linked_(words.size(), false) {}

  std::string run() {
    if (std::string why = decode(); !why.empty()) return why;
    if (std::string why = checkEntries(); !why.empty()) return why;
    if (std::string why = checkOperands(); !why.empty()) return why;
    return checkStack();
  }

 private:
  std::string decode() {
    size_t pc = 0;
    while (pc < w_.size()) {
      uint32_t op = w_[pc];
      if (op >= kOpcodeCount)
        return "unknown opcode " + std::to_string(op) + " at " + std::to_string(pc * 4);
      if (op == Op_PushString && (pc + 1 >= w_.size() || w_[pc + 1] % 4 != 0))
        return "bad string length";
      uint64_t length =
          op == Op_PushString ? 2 + uint64_t(w_[pc + 1]) / 4 : instructionWords(&w_[pc]);
      if (pc + length > w_.size()) return "instruction past the end at " + std::to_string(pc * 4);
      starts_[pc] = true;
      pc += length;
    }
    starts_[w_.size()] = true;  // the Halt that closes every block
    return "";
  }

  bool opAt(size_t i, uint32_t a, uint32_t b) const {
    return starts_[i] && (w_[i] == a || w_[i] == b);
  }

  // A recorded position must hold the instruction the entry names (or its fused form).
  bool entryFits(uint32_t opcode, size_t i) const {
    if (i >= w_.size()) return false;
    switch (opcode) {
      case Op_Push:
        return opAt(i, Op_Push, Op_Push_Deref);
      case Op_DMemberValPtr:
        return opAt(i, Op_DMemberValPtr, Op_DMemberValPtr_Deref);
      case Op_SMemberValPtr:
        // Fused after PushThis, the member instruction sits one word into it.
        return w_[i] == Op_SMemberValPtr && i + 1 < w_.size() &&
               (starts_[i] ||
                (i > 0 && opAt(i - 1, Op_PushThis_SMemberValPtr, Op_PushThis_SMemberValPtr_Deref)));
      case Op_DCall:
      case Op_SCall:
      case Op_SuperCall:
      case Op_NativeCall:
      case Op_Constructor:
      case Op_Is:
        return opAt(i, opcode, opcode);
      default:
        return false;
    }
  }

  std::string checkEntries() {
    for (const TCInfoElem& e : symbols_.entries) {
      if (e.opcode < 0) return "bad symbol entry";
      for (int32_t position : e.positions) {
        if (position < 0 || position % 4 != 0 ||
            !entryFits(uint32_t(e.opcode), size_t(position) / 4))
          return "symbol entry does not fit the code at " + std::to_string(position);
        // A Push entry without a name is a constant: it is left as it is.
        if (e.opcode != Op_Push || !e.name.empty()) linked_[size_t(position) / 4] = true;
      }
    }
    return "";
  }

  std::string checkOperands() const {
    for (size_t pc = 0; pc < w_.size(); pc += instructionWords(&w_[pc])) {
      uint32_t op = w_[pc];
      if (op == Op_Push || op == Op_Push_Deref) {
        uint32_t kind = w_[pc + 1];
        bool constant = kind == vtNull || kind == vtInt || kind == vtFloat || kind == vtError;
        if (!constant && !(kind == vtPointer && linked_[pc]))
          return "raw value pushed at " + std::to_string(pc * 4);
      } else if (mustBeLinked(op) && !linked_[pc]) {
        return "unlinked operand at " + std::to_string(pc * 4);
      } else if (isJump(op)) {
        int64_t target = int64_t(pc * 4) + int32_t(w_[pc + 1]);
        if (target < 0 || target % 4 != 0 || target / 4 > int64_t(w_.size()) ||
            !starts_[size_t(target / 4)])
          return "jump outside the code at " + std::to_string(pc * 4);
      }
    }
    return "";
  }

  // Depth of the operand stack above the frame at every reachable instruction.
  std::string checkStack() const {
    std::vector<int64_t> depth(w_.size() + 1, kUnvisited);
    std::vector<size_t> work{0};
    depth[0] = 0;
    auto reach = [&](size_t i, int64_t d) {
      if (depth[i] == kUnvisited) {
        depth[i] = d;
        work.push_back(i);
        return true;
      }
      return depth[i] == d;
    };
    while (!work.empty()) {
      size_t pc = work.back();
      work.pop_back();
      if (pc == w_.size()) continue;  // the closing Halt
      const uint32_t* at = &w_[pc];
      StackEffect e = effectOf(at);
      int64_t d = depth[pc];
      if (d < e.needs) return "stack underflow at " + std::to_string(pc * 4);
      if (at[0] == Op_Ret || at[0] == Op_Halt) continue;
      size_t next = pc + instructionWords(at);
      if (isJump(at[0])) {
        int64_t taken = at[0] == Op_Jump_And || at[0] == Op_Jump_Or ? d : d + e.delta;
        if (!reach(size_t((int64_t(pc * 4) + int32_t(at[1])) / 4), taken))
          return "inconsistent stack at a jump target from " + std::to_string(pc * 4);
        if (at[0] == Op_Jump) continue;
      }
      if (!reach(next, d + e.delta)) return "inconsistent stack at " + std::to_string(next * 4);
    }
    return "";
  }

  const std::vector<uint32_t>& w_;
  const TSymInfoList& symbols_;
  std::vector<bool> starts_;
  std::vector<bool> linked_;
};

}  // namespace

std::string VerifyCode(const std::vector<uint32_t>& words, const TSymInfoList& symbols) {
  return Verifier(words, symbols).run();
}

}  // namespace zunka::vm
