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

}  // namespace

void fuseInstructions(uint32_t* words, uint32_t count) {
  uint64_t pc = 0;
  while (pc < count && words[pc] != Op_Halt) {
    uint32_t* at = words + pc;
    switch (at[0]) {
      case Op_Push:
        if (wordAt(words, count, pc + 3) == Op_Deref) {
          at[0] = Op_Push_Deref;
          pc += 4;
        } else {
          pc += 3;
        }
        break;
      case Op_PushString:
        pc += 2 + wordAt(words, count, pc + 1) / 4;
        break;
      case Op_PushThis:
        if (wordAt(words, count, pc + 1) == Op_SMemberValPtr) {
          at[0] = Op_PushThis_SMemberValPtr;
          if (wordAt(words, count, pc + 3) == Op_Deref) {
            at[0] = Op_PushThis_SMemberValPtr_Deref;
            pc += 4;
          } else {
            pc += 3;
          }
        } else {
          pc += 1;
        }
        break;
      case Op_DMemberValPtr:
        if (wordAt(words, count, pc + 3) == Op_Deref) {
          at[0] = Op_DMemberValPtr_Deref;
          pc += 4;
        } else {
          pc += 3;
        }
        break;
      case Op_LocalValPtr:
      case Op_ArgValPtr:
        if (wordAt(words, count, pc + 2) == Op_Deref) {
          at[0] = at[0] == Op_LocalValPtr ? Op_LocalValPtr_Deref : Op_ArgValPtr_Deref;
          pc += 3;
        } else {
          pc += 2;
        }
        break;
      case Op_Pop:
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
      case Op_And:
      case Op_Or:
      case Op_Not:
      case Op_Neg:
      case Op_Subst:
      case Op_AddSubst:
      case Op_SubSubst:
      case Op_Deref:
      case Op_Ret:
      case Op_InitForIn:
      case Op_ClearForIn:
        pc += 1;
        break;
      case Op_SMemberValPtr:
      case Op_Is:
      case Op_Jump:
      case Op_JumpZero:
      case Op_Jump_And:
      case Op_Jump_Or:
      case Op_DoForIn:
        pc += 2;
        break;
      case Op_PushThis_SMemberValPtr:
      case Op_SCall:
      case Op_SuperCall:
      case Op_NativeCall:
      case Op_Constructor:
        pc += 3;
        break;
      case Op_PushThis_SMemberValPtr_Deref:
      case Op_DMemberValPtr_Deref:
      case Op_DCall:
      case Op_Point:
        pc += 4;
        break;
      default:
        badInstruction(at[0]);
    }
  }
}

}  // namespace zunka::vm
