#pragma once
#include <cstdint>
#include <string>

namespace zunka::vm {

// The instruction set, in one list: code, name, listing label, length in words.
// Everything else (the enum, the name, label and length tables, the dispatch
// table) is derived from it. A length of 0 marks PushString, whose length depends
// on its inline text. Codes 8 to 13 are produced only by the fusion pass.
#define ZUNKA_OPCODES(X)                                           \
  X(0, Pop, "Pop", 1)                                              \
  X(1, Push, "Push ", 3)                                           \
  X(2, PushString, "PushString ", 0)                               \
  X(3, PushThis, "PushThis", 1)                                    \
  X(4, SMemberValPtr, "SMemberValPtr ", 2)                         \
  X(5, DMemberValPtr, "DMemberValPtr ", 3)                         \
  X(6, LocalValPtr, "LocalValPtr ", 2)                             \
  X(7, ArgValPtr, "ArgValPtr ", 2)                                 \
  X(8, PushThis_SMemberValPtr, "PushThis_SMemberValPtr ", 3)       \
  X(9, PushThis_SMemberValPtr_Deref, "PushThis_SMemberValPtr ", 4) \
  X(10, DMemberValPtr_Deref, "DMemberValPtr_Deref ", 4)            \
  X(11, LocalValPtr_Deref, "LocalValPtr_Deref ", 3)                \
  X(12, ArgValPtr_Deref, "ArgValPtr_Deref ", 3)                    \
  X(13, Push_Deref, "Push_Deref ", 4)                              \
  X(14, DCall, "DCall ", 4)                                        \
  X(15, SCall, "SCall ", 3)                                        \
  X(16, SuperCall, "SuperCall ", 3)                                \
  X(17, NativeCall, "NativeCall ", 3)                              \
  X(18, Constructor, "Constructor ", 3)                            \
  X(19, Add, "Add", 1)                                             \
  X(20, Sub, "Sub", 1)                                             \
  X(21, Mul, "Mul", 1)                                             \
  X(22, Div, "Div", 1)                                             \
  X(23, Mod, "Mod", 1)                                             \
  X(24, GT, "GT", 1)                                               \
  X(25, GTE, "GTE", 1)                                             \
  X(26, LT, "LT", 1)                                               \
  X(27, LTE, "LTE", 1)                                             \
  X(28, EQ, "EQ", 1)                                               \
  X(29, NEQ, "NEQ", 1)                                             \
  X(30, And, "And", 1)                                             \
  X(31, Or, "Or", 1)                                               \
  X(32, Is, "Is ", 2)                                              \
  X(33, Not, "Not", 1)                                             \
  X(34, Neg, "Neg", 1)                                             \
  X(35, Subst, "Subst", 1)                                         \
  X(36, AddSubst, "AddSubst", 1)                                   \
  X(37, SubSubst, "SubSubst", 1)                                   \
  X(38, Deref, "Deref", 1)                                         \
  X(39, Jump, "Jump", 2)                                           \
  X(40, JumpZero, "JumpZero", 2)                                   \
  X(41, Jump_And, "Jump_And", 2)                                   \
  X(42, Jump_Or, "Jump_Or", 2)                                     \
  X(43, Ret, "Ret", 1)                                             \
  X(44, InitForIn, "InitForin", 1)                                 \
  X(45, DoForIn, "DoForin", 2)                                     \
  X(46, ClearForIn, "ClearForin", 1)                               \
  X(47, Point, "Point ", 4)                                        \
  X(48, Halt, "", 1)

enum Opcode : uint32_t {
#define ZUNKA_OPCODE_ENUM(code, name, label, words) Op_##name = code,
  ZUNKA_OPCODES(ZUNKA_OPCODE_ENUM)
#undef ZUNKA_OPCODE_ENUM
};

inline constexpr uint32_t kOpcodeCount = 49;

// "Op_DCall" for 14; "Invalid Code" outside the set.
const char* opcodeName(uint32_t code);
// The text the listing prints before the operands.
const char* opcodeLabel(uint32_t code);
// Length in words of the instruction starting at `code`; for PushString it reads
// the inline length word that follows.
uint32_t instructionWords(const uint32_t* code);

}  // namespace zunka::vm
