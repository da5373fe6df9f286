#include "vm/opcodes.h"

namespace zunka::vm {
namespace {

constexpr const char* kNames[kOpcodeCount] = {
#define ZUNKA_OPCODE_NAME(code, name, label, words) "Op_" #name,
    ZUNKA_OPCODES(ZUNKA_OPCODE_NAME)
#undef ZUNKA_OPCODE_NAME
};
constexpr const char* kLabels[kOpcodeCount] = {
#define ZUNKA_OPCODE_LABEL(code, name, label, words) label,
    ZUNKA_OPCODES(ZUNKA_OPCODE_LABEL)
#undef ZUNKA_OPCODE_LABEL
};
constexpr uint8_t kWords[kOpcodeCount] = {
#define ZUNKA_OPCODE_WORDS(code, name, label, words) words,
    ZUNKA_OPCODES(ZUNKA_OPCODE_WORDS)
#undef ZUNKA_OPCODE_WORDS
};

}  // namespace

const char* opcodeName(uint32_t code) {
  return code < kOpcodeCount ? kNames[code] : "Invalid Code";
}

const char* opcodeLabel(uint32_t code) {
  return code < kOpcodeCount ? kLabels[code] : "";
}

uint32_t instructionWords(const uint32_t* code) {
  uint32_t op = code[0];
  if (op >= kOpcodeCount) return 1;
  if (op == Op_PushString) return 2 + code[1] / 4;
  return kWords[op];
}

}  // namespace zunka::vm
