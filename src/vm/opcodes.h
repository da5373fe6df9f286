#pragma once
#include <cstdint>
#include <string>

namespace zunka::vm {

// What one word after an opcode holds.
enum class OperandKind : uint8_t {
  None,          // no such word
  ValueKind,     // kind of a pushed immediate (its payload is the next word)
  ValueBits,     // the immediate's payload: integer, real bits, error number or cell
  TextLength,    // byte length of the zero-padded text that follows inline
  MemberSlot,    // index of a member of the object below
  MemberName,    // symbol of a member looked up by name
  LookupHint,    // a word the interpreter keeps its last lookup in
  LocalIndex,    // index of a local variable
  ArgIndex,      // index of an argument
  ArgCount,      // arguments a call pops besides its target slot
  MethodName,    // symbol of a method looked up by name
  MethodIndex,   // index into the class's method table
  SuperMethod,   // handle of a parent's method
  NativeMethod,  // handle of a native method of the class
  ClassRef,      // handle of a class
  JumpOffset,    // bytes from the instruction's own start
  SourceClass,   // handle of the class whose source a statement is in
  SourceOffset,  // the statement's offset in that source
  SourceExtra,   // a third position word, kept with the other two
  Fused,         // the opcode word of an instruction merged into this one, left in place
};

// Operands that are symbols or handles: they mean nothing in another run of the
// player until a class file's symbol entries relink them.
constexpr bool mustBeLinked(OperandKind kind) {
  switch (kind) {
    case OperandKind::MemberName:
    case OperandKind::MethodName:
    case OperandKind::SuperMethod:
    case OperandKind::NativeMethod:
    case OperandKind::ClassRef:
      return true;
    default:
      return false;
  }
}

// Where control goes after an instruction.
enum class Flow : uint8_t {
  Next,        // on to the next instruction
  Goto,        // always to the jump target
  Branch,      // to the target or on; either way with the stack the instruction leaves
  BranchKeep,  // to the target with the tested value still on the stack, or on without it
  Stop,        // nowhere: the frame or the block ends
};

// The instruction set, in one list: every fact the player keeps about an instruction.
// The enum, the names, the dispatch table, the verifier's stack effects and jumps,
// the listing, the fusion pass and the class-file linker all derive from it.
//
//   X(code, name, label, words, operands, stack, flow, listing, fusedFrom, link)
//
// - label: what the listing prints before the operands. Some labels differ from the
//   name on purpose, as listings have always shown them: PushThis_SMemberValPtr_Deref
//   repeats the label of PushThis_SMemberValPtr; the for-in instructions print
//   "Forin"; the jumps print their offset right after the label; Halt prints nothing
//   (a listing stops there).
// - words: the length in words; 0 for PushString, whose inline text sets its length.
// - operands: the kind of each word after the opcode, in order.
// - stack: (values the instruction needs on the stack, change of depth). A call also
//   pops the arguments its ArgCount operand says, which the pair leaves out.
// - flow: see Flow. A jump's offset is its first operand.
// - listing: how the operands print: a letter and a word number each, any other
//   character as it is. d signed, u unsigned, s symbol text, f function name,
//   c class label, n class name, v immediate (kind word and payload), t inline text.
// - fusedFrom: for the instructions only the fusion pass makes (codes 8 to 13), the
//   run of instructions merged into one; their opcode words stay where they were.
// - link: the word a class file's symbol entry relinks (0: entries never name this
//   instruction); the word's operand kind says how.
// clang-format off
#define ZUNKA_OPCODES(X)                                                                    \
  /* drops the top value */                                                                 \
  X(0, Pop, "Pop", 1, (), (1, -1), Next, "", (), 0)                                         \
  /* pushes an immediate: null, integer, real, error, or a global's cell once linked */     \
  X(1, Push, "Push ", 3, (ValueKind, ValueBits), (0, 1), Next, "v1", (), 1)                 \
  /* pushes a new string made of the inline text */                                         \
  X(2, PushString, "PushString ", 0, (TextLength), (0, 1), Next, "t1", (), 0)               \
  /* pushes this */                                                                         \
  X(3, PushThis, "PushThis", 1, (), (0, 1), Next, "", (), 0)                                \
  /* turns the object on top into a pointer to one of its members, by slot */               \
  X(4, SMemberValPtr, "SMemberValPtr ", 2, (MemberSlot), (1, 0), Next, "d1", (), 1)         \
  /* turns the object on top into a pointer to one of its members, by name */               \
  X(5, DMemberValPtr, "DMemberValPtr ", 3, (MemberName, LookupHint), (1, 0), Next, "s1",    \
    (), 1)                                                                                  \
  /* pushes a pointer to a local variable */                                                \
  X(6, LocalValPtr, "LocalValPtr ", 2, (LocalIndex), (0, 1), Next, "d1", (), 0)             \
  /* pushes a pointer to an argument (a dummy cell past the ones passed) */                 \
  X(7, ArgValPtr, "ArgValPtr ", 2, (ArgIndex), (0, 1), Next, "d1", (), 0)                   \
  /* pushes a pointer to a member of this */                                                \
  X(8, PushThis_SMemberValPtr, "PushThis_SMemberValPtr ", 3, (Fused, MemberSlot), (0, 1),   \
    Next, "d2", (Op_PushThis, Op_SMemberValPtr), 0)                                         \
  /* pushes the value of a member of this (listed with the label above) */                  \
  X(9, PushThis_SMemberValPtr_Deref, "PushThis_SMemberValPtr ", 4,                          \
    (Fused, MemberSlot, Fused), (0, 1), Next, "d2",                                         \
    (Op_PushThis, Op_SMemberValPtr, Op_Deref), 0)                                           \
  /* replaces the object on top by the value of its member, by name */                      \
  X(10, DMemberValPtr_Deref, "DMemberValPtr_Deref ", 4, (MemberName, LookupHint, Fused),    \
    (1, 0), Next, "u1", (Op_DMemberValPtr, Op_Deref), 0)                                    \
  /* pushes the value of a local variable */                                                \
  X(11, LocalValPtr_Deref, "LocalValPtr_Deref ", 3, (LocalIndex, Fused), (0, 1), Next,      \
    "d1", (Op_LocalValPtr, Op_Deref), 0)                                                    \
  /* pushes the value of an argument (null past the ones passed) */                         \
  X(12, ArgValPtr_Deref, "ArgValPtr_Deref ", 3, (ArgIndex, Fused), (0, 1), Next, "d1",      \
    (Op_ArgValPtr, Op_Deref), 0)                                                            \
  /* pushes the value of a global's cell */                                                 \
  X(13, Push_Deref, "Push_Deref ", 4, (ValueKind, ValueBits, Fused), (0, 1), Next, "v1",    \
    (Op_Push, Op_Deref), 0)                                                                 \
  /* calls a method of the target object by name */                                         \
  X(14, DCall, "DCall ", 4, (ArgCount, MethodName, LookupHint), (1, 0), Next, "d1,s2",      \
    (), 2)                                                                                  \
  /* calls a method of the target object by its index in the method table */                \
  X(15, SCall, "SCall ", 3, (ArgCount, MethodIndex), (1, 0), Next, "d1,d2", (), 2)          \
  /* calls a parent's method */                                                             \
  X(16, SuperCall, "SuperCall ", 3, (ArgCount, SuperMethod), (1, 0), Next, "d1,f2", (), 2)  \
  /* calls a native method */                                                               \
  X(17, NativeCall, "NativeCall ", 3, (ArgCount, NativeMethod), (1, 0), Next, "d1,f2", (),  \
    2)                                                                                      \
  /* makes an object of a class in the target slot and runs its constructor */              \
  X(18, Constructor, "Constructor ", 3, (ArgCount, ClassRef), (1, 0), Next, "d1,c2", (), 2) \
  /* adds the top value to the one below (or joins strings), leaving one */                 \
  X(19, Add, "Add", 1, (), (2, -1), Next, "", (), 0)                                        \
  /* subtracts the top value from the one below, leaving one */                             \
  X(20, Sub, "Sub", 1, (), (2, -1), Next, "", (), 0)                                        \
  /* multiplies the top two values, leaving one */                                          \
  X(21, Mul, "Mul", 1, (), (2, -1), Next, "", (), 0)                                        \
  /* divides the value below by the top one (an integer only when it divides evenly) */     \
  X(22, Div, "Div", 1, (), (2, -1), Next, "", (), 0)                                        \
  /* the remainder of the value below by the top one */                                     \
  X(23, Mod, "Mod", 1, (), (2, -1), Next, "", (), 0)                                        \
  /* 1.0 when the value below is greater than the top one, else 0.0 */                      \
  X(24, GT, "GT", 1, (), (2, -1), Next, "", (), 0)                                          \
  /* 1.0 when the value below is greater than or equal to the top one, else 0.0 */          \
  X(25, GTE, "GTE", 1, (), (2, -1), Next, "", (), 0)                                        \
  /* 1.0 when the value below is less than the top one, else 0.0 */                         \
  X(26, LT, "LT", 1, (), (2, -1), Next, "", (), 0)                                          \
  /* 1.0 when the value below is less than or equal to the top one, else 0.0 */             \
  X(27, LTE, "LTE", 1, (), (2, -1), Next, "", (), 0)                                        \
  /* 1.0 when the top two values are equal, else 0.0 */                                     \
  X(28, EQ, "EQ", 1, (), (2, -1), Next, "", (), 0)                                          \
  /* 1.0 when the top two values differ, else 0.0 */                                        \
  X(29, NEQ, "NEQ", 1, (), (2, -1), Next, "", (), 0)                                        \
  /* marks the end of a && chain; does nothing (Jump_And does the work) */                  \
  X(30, And, "And", 1, (), (0, 0), Next, "", (), 0)                                         \
  /* marks the end of a || chain; does nothing (Jump_Or does the work) */                   \
  X(31, Or, "Or", 1, (), (0, 0), Next, "", (), 0)                                           \
  /* replaces the value on top by 1 when it is an object of the class, else 0 */            \
  X(32, Is, "Is ", 2, (ClassRef), (1, 0), Next, "c1", (), 1)                                \
  /* logical not of the top value */                                                        \
  X(33, Not, "Not", 1, (), (1, 0), Next, "", (), 0)                                         \
  /* negates the number on top */                                                           \
  X(34, Neg, "Neg", 1, (), (1, 0), Next, "", (), 0)                                         \
  /* stores the top value through the pointer below it, leaving the value */                \
  X(35, Subst, "Subst", 1, (), (2, -1), Next, "", (), 0)                                    \
  /* adds the top value to the variable the pointer below names, leaving the result */      \
  X(36, AddSubst, "AddSubst", 1, (), (2, -1), Next, "", (), 0)                              \
  /* subtracts likewise */                                                                  \
  X(37, SubSubst, "SubSubst", 1, (), (2, -1), Next, "", (), 0)                              \
  /* replaces the pointer on top by the value it points at */                               \
  X(38, Deref, "Deref", 1, (), (1, 0), Next, "", (), 0)                                     \
  /* jumps by the offset */                                                                 \
  X(39, Jump, "Jump", 2, (JumpOffset), (0, 0), Goto, "d1", (), 0)                           \
  /* pops the top value and jumps when it is false */                                       \
  X(40, JumpZero, "JumpZero", 2, (JumpOffset), (1, -1), Branch, "d1", (), 0)                \
  /* &&: jumps keeping a false value as the result, else drops it and goes on */            \
  X(41, Jump_And, "Jump_And", 2, (JumpOffset), (1, -1), BranchKeep, "d1", (), 0)            \
  /* ||: jumps keeping a true value as the result, else drops it and goes on */             \
  X(42, Jump_Or, "Jump_Or", 2, (JumpOffset), (1, -1), BranchKeep, "d1", (), 0)              \
  /* returns the top value to the caller's target slot */                                   \
  X(43, Ret, "Ret", 1, (), (1, 0), Stop, "", (), 0)                                         \
  /* starts a for-in over the array on top: pushes its body and the index 0 */              \
  X(44, InitForIn, "InitForin", 1, (), (1, 2), Next, "", (), 0)                             \
  /* stores the next element in the loop variable, or jumps out after the last */           \
  X(45, DoForIn, "DoForin", 2, (JumpOffset), (4, 0), Branch, "d1", (), 0)                   \
  /* drops the loop variable's pointer, the array, its body and the index */                \
  X(46, ClearForIn, "ClearForin", 1, (), (4, -4), Next, "", (), 0)                          \
  /* records the statement being run, for error reports */                                  \
  X(47, Point, "Point ", 4, (SourceClass, SourceOffset, SourceExtra), (0, 0), Next,         \
    "n1/d2", (), 0)                                                                         \
  /* stops the process; every block ends with one */                                        \
  X(48, Halt, "", 1, (), (0, 0), Stop, "", (), 0)
// clang-format on

enum Opcode : uint32_t {
#define ZUNKA_OPCODE_ENUM(code, name, ...) Op_##name = code,
  ZUNKA_OPCODES(ZUNKA_OPCODE_ENUM)
#undef ZUNKA_OPCODE_ENUM
};

#define ZUNKA_OPCODE_COUNT_ONE(...) +1
inline constexpr uint32_t kOpcodeCount = 0 ZUNKA_OPCODES(ZUNKA_OPCODE_COUNT_ONE);
#undef ZUNKA_OPCODE_COUNT_ONE

// One row of the list.
struct OpcodeFacts {
  struct Operands {
    uint8_t count;
    OperandKind kind[3];
  };
  struct Stack {
    int8_t needs;
    int8_t delta;
  };
  struct Parts {
    uint8_t count;
    uint8_t code[3];
  };

  uint32_t code;
  const char* name;  // "Op_DCall"
  const char* label;
  uint8_t words;
  Operands operands;
  Stack stack;
  Flow flow;
  const char* listing;
  Parts fusedFrom;
  uint8_t linkWord;

  // The kind of word `i` of the instruction (the first operand is word 1).
  constexpr OperandKind operand(uint32_t i) const {
    return i >= 1 && i <= operands.count ? operands.kind[i - 1] : OperandKind::None;
  }
  constexpr bool isFused() const { return fusedFrom.count > 0; }
  constexpr bool isJump() const {
    return flow == Flow::Goto || flow == Flow::Branch || flow == Flow::BranchKeep;
  }
};

// The row of `code`; nullptr outside the set.
const OpcodeFacts* opcodeFacts(uint32_t code);
// "Op_DCall" for 14; "Invalid Code" outside the set.
const char* opcodeName(uint32_t code);
// The text the listing prints before the operands.
const char* opcodeLabel(uint32_t code);
// Whether the instruction may jump (its first operand is then the offset).
bool isJump(uint32_t code);
// Length in words of the instruction starting at `code`; for PushString it reads
// the inline length word that follows.
uint32_t instructionWords(const uint32_t* code);

}  // namespace zunka::vm
