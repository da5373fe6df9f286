#include "vm/opcodes.h"

namespace zunka::vm {
namespace {

// The list's parenthesised columns become calls of these.
template <class... Kinds>
constexpr OpcodeFacts::Operands operandsOf(Kinds... kinds) {
  return {uint8_t(sizeof...(kinds)), {kinds...}};
}
constexpr OpcodeFacts::Stack stackOf(int needs, int delta) {
  return {int8_t(needs), int8_t(delta)};
}
template <class... Codes>
constexpr OpcodeFacts::Parts partsOf(Codes... codes) {
  return {uint8_t(sizeof...(codes)), {uint8_t(codes)...}};
}

using enum OperandKind;
using enum Flow;

// clang-format off
#define ZUNKA_OPCODE_FACTS(code, name, label, words, operands, stack, flow, listing, fused, link) \
  OpcodeFacts{code, "Op_" #name, label, words, operandsOf operands, stackOf stack, flow, listing, \
              partsOf fused, link},
// clang-format on
constexpr OpcodeFacts kFacts[kOpcodeCount] = {ZUNKA_OPCODES(ZUNKA_OPCODE_FACTS)};
#undef ZUNKA_OPCODE_FACTS

// The list is checked as it compiles: a row that contradicts itself or another row
// never reaches the verifier, the listing or the linker.

constexpr bool codesRunInOrder() {
  for (uint32_t i = 0; i < kOpcodeCount; ++i)
    if (kFacts[i].code != i) return false;
  return true;
}
static_assert(codesRunInOrder(), "codes must run 0, 1, 2... so that they index the rows");

// One word for the opcode and one per operand; only PushString's inline text has
// no fixed length.
constexpr bool lengthsMatchOperands() {
  for (const OpcodeFacts& f : kFacts) {
    bool inlineText = f.operands.count == 1 && f.operands.kind[0] == TextLength;
    if (inlineText ? f.words != 0 : f.words != 1 + f.operands.count) return false;
  }
  return true;
}
static_assert(lengthsMatchOperands());

constexpr bool jumpsHaveTheirOffsetFirst() {
  for (const OpcodeFacts& f : kFacts) {
    for (uint32_t i = 1; i <= f.operands.count; ++i)
      if ((f.operand(i) == JumpOffset) != (f.isJump() && i == 1)) return false;
    if (f.isJump() && f.operand(1) != JumpOffset) return false;
  }
  return true;
}
static_assert(jumpsHaveTheirOffsetFirst());

constexpr bool linkable(OperandKind kind) {
  return kind == ValueKind || kind == MemberSlot || kind == MethodIndex || mustBeLinked(kind);
}

// Symbol entries name only instructions the compiler writes, at a word the linker
// knows how to fill; and every operand that only linking makes valid is that word,
// or the verifier would refuse every class file holding the instruction.
constexpr bool linksAreSound() {
  for (const OpcodeFacts& f : kFacts) {
    if (f.linkWord != 0 && (f.isFused() || !linkable(f.operand(f.linkWord)))) return false;
    for (uint32_t i = 1; i <= f.operands.count && !f.isFused(); ++i)
      if (mustBeLinked(f.operand(i)) && i != f.linkWord) return false;
  }
  return true;
}
static_assert(linksAreSound());

// A fused instruction is its parts laid end to end: their lengths, their operands
// (each later part's opcode word kept as a Fused word) and their stack effects.
constexpr bool fusedRowsComposeTheirParts() {
  for (const OpcodeFacts& f : kFacts) {
    if (!f.isFused()) continue;
    if (f.fusedFrom.count < 2 || f.flow != Next) return false;
    uint32_t words = 0;
    uint32_t operand = 0;
    int needs = 0;
    int depth = 0;
    for (uint32_t p = 0; p < f.fusedFrom.count; ++p) {
      const OpcodeFacts& part = kFacts[f.fusedFrom.code[p]];
      if (part.isFused() || part.words == 0 || part.flow != Next) return false;
      if (p > 0 && f.operand(++operand) != Fused) return false;
      for (uint32_t i = 1; i <= part.operands.count; ++i)
        if (f.operand(++operand) != part.operand(i)) return false;
      if (part.stack.needs - depth > needs) needs = part.stack.needs - depth;
      depth += part.stack.delta;
      words += part.words;
    }
    if (operand != f.operands.count || words != f.words) return false;
    if (f.stack.needs != needs || f.stack.delta != depth) return false;
  }
  return true;
}
static_assert(fusedRowsComposeTheirParts());

// Each listing letter names an operand word of a kind it can print.
constexpr bool printable(char style, OperandKind kind) {
  switch (style) {
    case 'd':
      return kind == MemberSlot || kind == LocalIndex || kind == ArgIndex || kind == ArgCount ||
             kind == MethodIndex || kind == JumpOffset || kind == SourceOffset;
    case 'u':
    case 's':
      return kind == MemberName || kind == MethodName;
    case 'f':
      return kind == SuperMethod || kind == NativeMethod;
    case 'c':
      return kind == ClassRef;
    case 'n':
      return kind == SourceClass;
    case 'v':
      return kind == ValueKind;
    case 't':
      return kind == TextLength;
    default:
      return false;
  }
}
constexpr bool listingFormsFitTheOperands() {
  for (const OpcodeFacts& f : kFacts) {
    for (const char* form = f.listing; *form; ++form) {
      if (*form < 'a' || *form > 'z') continue;  // printed as it is
      if (form[1] < '1' || form[1] > '9') return false;
      uint32_t word = uint32_t(form[1] - '0');
      if (!printable(form[0], f.operand(word))) return false;
      if (form[0] == 'v' && f.operand(word + 1) != ValueBits) return false;
      ++form;
    }
  }
  return true;
}
static_assert(listingFormsFitTheOperands());

}  // namespace

const OpcodeFacts* opcodeFacts(uint32_t code) {
  return code < kOpcodeCount ? &kFacts[code] : nullptr;
}

const char* opcodeName(uint32_t code) {
  return code < kOpcodeCount ? kFacts[code].name : "Invalid Code";
}

const char* opcodeLabel(uint32_t code) {
  return code < kOpcodeCount ? kFacts[code].label : "";
}

bool isJump(uint32_t code) {
  return code < kOpcodeCount && kFacts[code].isJump();
}

uint32_t instructionWords(const uint32_t* code) {
  uint32_t op = code[0];
  if (op >= kOpcodeCount) return 1;
  if (kFacts[op].words == 0) return 2 + code[1] / 4;  // the length word and the text
  return kFacts[op].words;
}

}  // namespace zunka::vm
