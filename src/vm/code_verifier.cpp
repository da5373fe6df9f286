#include "vm/code_verifier.h"

#include "vm/opcodes.h"
#include "vm/value.h"

namespace zunka::vm {
namespace {

constexpr int kUnvisited = -1;

// What an instruction needs on the stack and how it changes the depth. Calls
// consume their arguments and leave the result in the target slot below them.
struct StackEffect {
  int64_t needs;
  int64_t delta;
};

StackEffect effectOf(const OpcodeFacts& facts, const uint32_t* at) {
  StackEffect e{facts.stack.needs, facts.stack.delta};
  for (uint32_t i = 1; i <= facts.operands.count; ++i) {
    if (facts.operand(i) == OperandKind::ArgCount) {
      e.needs += at[i];
      e.delta -= at[i];
    }
  }
  return e;
}

// Where an opcode can stand inside fused instructions: each fused opcode that
// has it as a part, with the part's word offset. Worked out once from the opcode
// table (every class file loaded at start-up checks its entries against it).
struct FusedUse {
  uint32_t fused;
  size_t offset;
};

const std::vector<FusedUse>& fusedUsesOf(uint32_t opcode) {
  static const std::vector<std::vector<FusedUse>> table = [] {
    std::vector<std::vector<FusedUse>> uses(kOpcodeCount);
    for (uint32_t code = 0; code < kOpcodeCount; ++code) {
      const OpcodeFacts& fused = *opcodeFacts(code);
      size_t offset = 0;
      for (uint8_t p = 0; p < fused.fusedFrom.count; ++p) {
        uint32_t part = fused.fusedFrom.code[p];
        if (part < kOpcodeCount) uses[part].push_back(FusedUse{code, offset});
        offset += opcodeFacts(part)->words;
      }
    }
    return uses;
  }();
  return table[opcode];
}

// What the verifier keeps per code word, reused from block to block: every class
// file loaded at start-up verifies its blocks, and fresh vectors for each would
// cost more than the checks.
struct Scratch {
  std::vector<uint8_t> marks;
  std::vector<int64_t> depth;
  std::vector<size_t> work;
};

constexpr uint8_t kStart = 1;   // an instruction starts at the word
constexpr uint8_t kLinked = 2;  // linking rewrites the instruction's operand

class Verifier {
 public:
  Verifier(const std::vector<uint32_t>& words, const TSymInfoList& symbols, Scratch& scratch)
      : w_(words), symbols_(symbols), marks_(scratch.marks), scratch_(scratch) {
    marks_.assign(words.size() + 1, 0);
  }

  std::string run() {
    if (std::string why = decode(); !why.empty()) return why;
    if (std::string why = checkEntries(); !why.empty()) return why;
    if (std::string why = checkOperands(); !why.empty()) return why;
    return checkStack();
  }

 private:
  bool startsAt(size_t i) const { return marks_[i] & kStart; }
  bool linkedAt(size_t i) const { return marks_[i] & kLinked; }

  std::string decode() {
    size_t pc = 0;
    while (pc < w_.size()) {
      const OpcodeFacts* facts = opcodeFacts(w_[pc]);
      if (!facts)
        return "unknown opcode " + std::to_string(w_[pc]) + " at " + std::to_string(pc * 4);
      bool inlineText = facts->words == 0;
      if (inlineText && (pc + 1 >= w_.size() || w_[pc + 1] % 4 != 0)) return "bad string length";
      uint64_t length = inlineText ? 2 + uint64_t(w_[pc + 1]) / 4 : facts->words;
      if (pc + length > w_.size()) return "instruction past the end at " + std::to_string(pc * 4);
      marks_[pc] |= kStart;
      pc += length;
    }
    marks_[w_.size()] |= kStart;  // the Halt that closes every block
    return "";
  }

  // A recorded position must hold the instruction the entry names, which the
  // fusion pass may have merged into a longer one: at the fused instruction's start
  // (its opcode replaced the named one) or further in (the named opcode stayed).
  bool entryFits(uint32_t opcode, size_t i) const {
    const OpcodeFacts* named = opcodeFacts(opcode);
    if (!named || named->linkWord == 0 || i >= w_.size()) return false;
    if (startsAt(i) && w_[i] == opcode) return true;
    for (const FusedUse& use : fusedUsesOf(opcode)) {
      size_t offset = use.offset;
      if (offset <= i && startsAt(i - offset) && w_[i - offset] == use.fused &&
          (offset == 0 || w_[i] == opcode))
        return true;
    }
    return false;
  }

  std::string checkEntries() {
    for (const TCInfoElem& e : symbols_.entries) {
      if (e.opcode < 0) return "bad symbol entry";
      for (int32_t position : e.positions) {
        if (position < 0 || position % 4 != 0 ||
            !entryFits(uint32_t(e.opcode), size_t(position) / 4))
          return "symbol entry does not fit the code at " + std::to_string(position);
        // An immediate's entry without a name is a constant: it is left as it is.
        const OpcodeFacts& named = *opcodeFacts(uint32_t(e.opcode));
        if (named.operand(named.linkWord) != OperandKind::ValueKind || !e.name.empty())
          marks_[size_t(position) / 4] |= kLinked;
      }
    }
    return "";
  }

  std::string checkOperands() const {
    for (size_t pc = 0; pc < w_.size(); pc += instructionWords(&w_[pc])) {
      const OpcodeFacts& facts = *opcodeFacts(w_[pc]);
      for (uint32_t i = 1; i <= facts.operands.count; ++i) {
        OperandKind kind = facts.operand(i);
        if (kind == OperandKind::ValueKind) {
          uint32_t valueKind = w_[pc + i];
          bool constant = valueKind == vtNull || valueKind == vtInt || valueKind == vtFloat ||
                          valueKind == vtError;
          if (!constant && !(valueKind == vtPointer && linkedAt(pc)))
            return "raw value pushed at " + std::to_string(pc * 4);
        } else if (mustBeLinked(kind) && !linkedAt(pc)) {
          return "unlinked operand at " + std::to_string(pc * 4);
        } else if (kind == OperandKind::JumpOffset) {
          int64_t target = int64_t(pc * 4) + int32_t(w_[pc + i]);
          if (target < 0 || target % 4 != 0 || target / 4 > int64_t(w_.size()) ||
              !startsAt(size_t(target / 4)))
            return "jump outside the code at " + std::to_string(pc * 4);
        }
      }
    }
    return "";
  }

  // Depth of the operand stack above the frame at every reachable instruction.
  std::string checkStack() const {
    std::vector<int64_t>& depth = scratch_.depth;
    std::vector<size_t>& work = scratch_.work;
    depth.assign(w_.size() + 1, kUnvisited);
    work.assign(1, 0);
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
      const OpcodeFacts& facts = *opcodeFacts(at[0]);
      StackEffect e = effectOf(facts, at);
      int64_t d = depth[pc];
      if (d < e.needs) return "stack underflow at " + std::to_string(pc * 4);
      if (facts.flow == Flow::Stop) continue;
      size_t next = pc + instructionWords(at);
      if (facts.isJump()) {  // the offset is the first operand
        int64_t taken = facts.flow == Flow::BranchKeep ? d : d + e.delta;
        if (!reach(size_t((int64_t(pc * 4) + int32_t(at[1])) / 4), taken))
          return "inconsistent stack at a jump target from " + std::to_string(pc * 4);
        if (facts.flow == Flow::Goto) continue;
      }
      if (!reach(next, d + e.delta)) return "inconsistent stack at " + std::to_string(next * 4);
    }
    return "";
  }

  const std::vector<uint32_t>& w_;
  const TSymInfoList& symbols_;
  std::vector<uint8_t>& marks_;
  Scratch& scratch_;
};

}  // namespace

std::string VerifyCode(const std::vector<uint32_t>& words, const TSymInfoList& symbols) {
  thread_local Scratch scratch;
  return Verifier(words, symbols, scratch).run();
}

}  // namespace zunka::vm
