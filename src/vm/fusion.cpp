#include <algorithm>
#include <vector>

#include "vm/code_tools.h"
#include "vm/errors.h"
#include "vm/opcodes.h"

namespace zunka::vm {
namespace {

[[noreturn]] void badInstruction(uint32_t op) {
  throw ERuntimeError("異常な命令が入っています:" + std::to_string(op));
}

// The word at `i`, or Halt past the end, so a truncated block cannot be overrun.
uint32_t wordAt(const uint32_t* words, uint32_t count, uint64_t i) {
  return i < count ? words[i] : uint32_t(Op_Halt);
}

// The fused instructions, longest first, so that the first run that matches wins.
const std::vector<const OpcodeFacts*>& fusedForms() {
  static const std::vector<const OpcodeFacts*> forms = [] {
    std::vector<const OpcodeFacts*> found;
    for (uint32_t code = 0; code < kOpcodeCount; ++code)
      if (opcodeFacts(code)->isFused()) found.push_back(opcodeFacts(code));
    std::stable_sort(found.begin(), found.end(), [](const OpcodeFacts* a, const OpcodeFacts* b) {
      return a->words > b->words;
    });
    return found;
  }();
  return forms;
}

// Whether the run of instructions `fused` merges starts at `pc`.
bool runStartsAt(const OpcodeFacts& fused, const uint32_t* words, uint32_t count, uint64_t pc) {
  for (uint8_t p = 0; p < fused.fusedFrom.count; ++p) {
    uint32_t part = fused.fusedFrom.code[p];
    if (wordAt(words, count, pc) != part) return false;
    pc += opcodeFacts(part)->words;
  }
  return true;
}

}  // namespace

void fuseInstructions(uint32_t* words, uint32_t count) {
  uint64_t pc = 0;
  while (pc < count && words[pc] != Op_Halt) {
    const OpcodeFacts* facts = opcodeFacts(words[pc]);
    // Fused codes come only from this pass: a block that holds them is not fresh.
    if (!facts || facts->isFused()) badInstruction(words[pc]);
    if (facts->words == 0) {  // inline text
      pc += 2 + wordAt(words, count, pc + 1) / 4;
      continue;
    }
    // The longest run that starts here becomes one instruction; the opcode words
    // of its later parts stay where they are.
    const OpcodeFacts* into = facts;
    for (const OpcodeFacts* fused : fusedForms()) {
      if (fused->fusedFrom.code[0] == facts->code && runStartsAt(*fused, words, count, pc)) {
        into = fused;
        break;
      }
    }
    words[pc] = into->code;
    pc += into->words;
  }
}

}  // namespace zunka::vm
