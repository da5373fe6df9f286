#include <cstdio>
#include <cstring>

#include "vm/class_object.h"
#include "vm/code_tools.h"
#include "vm/errors.h"
#include "vm/function.h"
#include "vm/host_handles.h"
#include "vm/opcodes.h"
#include "vm/value.h"

namespace zunka::vm {
namespace {

std::string classLabel(uint32_t handle) {
  ClassObject* c = hostAs<ClassObject>(handle);
  return c ? c->DisplayName() : "@" + std::to_string(handle);
}

std::string functionName(uint32_t handle) {
  HostObject* h = HostHandles::find(handle);
  auto* f = dynamic_cast<TFunction*>(h);
  return f ? f->GetName() : std::string();
}

std::string immediateText(uint32_t kindWord, uint32_t payload) {
  TValue v;
  v.kind = static_cast<TVType>(kindWord & 0xFF);
  v.ref = payload;
  if (v.kind > vtUnset) return "?";
  return toText(v);
}

// The text of one operand in a listing style (see the opcode list) for word `i`.
void appendOperand(char style, const uint32_t* at, uint32_t i, uint32_t wordsLeft,
                   std::string& out) {
  auto w = [&](uint32_t k) { return k < wordsLeft ? at[k] : 0u; };
  switch (style) {
    case 'd':
      out += std::to_string(int32_t(w(i)));
      break;
    case 'u':
      out += std::to_string(w(i));
      break;
    case 's':
      out += symbols::text(w(i));
      break;
    case 'f':
      out += functionName(w(i));
      break;
    case 'c':
      out += classLabel(w(i));
      break;
    case 'n':
      if (ClassObject* c = hostAs<ClassObject>(w(i))) out += c->name();
      break;
    case 'v':
      out += immediateText(w(i), w(i + 1));
      break;
    case 't': {  // the text follows its length word, never read past the block
      uint32_t room = wordsLeft > i + 1 ? (wordsLeft - i - 1) * 4 : 0;
      const char* text = reinterpret_cast<const char*>(at + i + 1);
      out.append(text, strnlen(text, std::min(w(i), room)));
      break;
    }
  }
}

// The operand text of one instruction, or false when the opcode is unknown.
bool operandText(const uint32_t* at, uint32_t wordsLeft, std::string& out) {
  out.clear();
  const OpcodeFacts* facts = opcodeFacts(at[0]);
  if (!facts) return false;
  for (const char* form = facts->listing; *form; ++form) {
    if (*form >= 'a' && *form <= 'z') {
      appendOperand(form[0], at, uint32_t(form[1] - '0'), wordsLeft, out);
      ++form;
    } else {
      out += *form;
    }
  }
  return true;
}

}  // namespace

void listInstructions(const uint32_t* words, uint32_t count, std::vector<std::string>& lines,
                      uint32_t baseAddress) {
  uint32_t pc = 0;
  while (pc < count && words[pc] != Op_Halt) {
    std::string operands;
    if (!operandText(words + pc, count - pc, operands))
      throw ERuntimeError("異常な命令が入っています");
    char address[16];
    std::snprintf(address, sizeof address, "%08X", baseAddress + pc * 4);
    lines.push_back(std::string(address) + ":" + opcodeLabel(words[pc]) + operands);
    pc += instructionWords(words + pc);
  }
}

}  // namespace zunka::vm
