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

// The operand text of one instruction, or false when the opcode is unknown.
bool operandText(const uint32_t* at, uint32_t wordsLeft, std::string& out) {
  auto w = [&](uint32_t i) { return i < wordsLeft ? at[i] : 0u; };
  switch (at[0]) {
    case Op_Push:
    case Op_Push_Deref:
      out = immediateText(w(1), w(2));
      return true;
    case Op_PushString: {
      uint32_t room = wordsLeft > 2 ? (wordsLeft - 2) * 4 : 0;
      uint32_t len = std::min(w(1), room);
      const char* text = reinterpret_cast<const char*>(at + 2);
      out.assign(text, strnlen(text, len));
      return true;
    }
    case Op_SMemberValPtr:
    case Op_LocalValPtr:
    case Op_ArgValPtr:
    case Op_LocalValPtr_Deref:
    case Op_ArgValPtr_Deref:
      out = std::to_string(int32_t(w(1)));
      return true;
    case Op_DMemberValPtr:
      out = symbols::text(w(1));
      return true;
    case Op_PushThis_SMemberValPtr:
    case Op_PushThis_SMemberValPtr_Deref:
      out = std::to_string(int32_t(w(2)));
      return true;
    case Op_DMemberValPtr_Deref:
      out = std::to_string(w(1));
      return true;
    case Op_DCall:
      out = std::to_string(int32_t(w(1))) + "," + symbols::text(w(2));
      return true;
    case Op_SCall:
      out = std::to_string(int32_t(w(1))) + "," + std::to_string(int32_t(w(2)));
      return true;
    case Op_SuperCall:
    case Op_NativeCall:
      out = std::to_string(int32_t(w(1))) + "," + functionName(w(2));
      return true;
    case Op_Constructor:
      out = std::to_string(int32_t(w(1))) + "," + classLabel(w(2));
      return true;
    case Op_Is:
      out = classLabel(w(1));
      return true;
    case Op_Jump:
    case Op_JumpZero:
    case Op_Jump_And:
    case Op_Jump_Or:
    case Op_DoForIn:
      out = std::to_string(int32_t(w(1)));
      return true;
    case Op_Point: {
      ClassObject* c = hostAs<ClassObject>(w(1));
      out = (c ? c->name() : std::string()) + "/" + std::to_string(int32_t(w(2)));
      return true;
    }
    default:
      out.clear();
      return at[0] < kOpcodeCount;
  }
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
