#include <gtest/gtest.h>

#include "support/vm_world.h"
#include "vm/code_tools.h"

using namespace zunka;
using namespace zunka::vm;
using namespace zunka::testing;

TEST(OpcodeTable, ListingOfEveryInstructionStaysByteForByte) {
  VmWorld& w = VmWorld::get();
  TRTTI* c = w.makeClass("Listed", w.objectClass, {"a"});
  CodeBuilder f;
  f.pushInt(1).op(Op_Ret);
  TNormalFunction* fn = w.addMethod(c, "helper", f);
  TNativeFunction* nat =
      w.addNative(c, "natty", [](TNativeFunction*, TValue*, int32_t, uint32_t) {});
  Ref cell = Arena::allocate(8);
  *valueAt(cell) = TValue::ofInt(42);
  Symbol hp = symbols::intern("hp");
  Symbol go = symbols::intern("go");
  CodeBuilder b;
  b.op(Op_Pop).pushInt(-3).pushString("ab").op(Op_PushThis).member(2).memberByName("hp");
  b.local(1).arg(2);
  b.op(Op_PushThis_SMemberValPtr).word(Op_SMemberValPtr).word(5);
  b.op(Op_PushThis_SMemberValPtr_Deref).word(Op_SMemberValPtr).word(6).word(Op_Deref);
  b.op(Op_DMemberValPtr_Deref).word(hp).word(0).word(Op_Deref);
  b.op(Op_LocalValPtr_Deref).word(3).word(Op_Deref);
  b.op(Op_ArgValPtr_Deref).word(4).word(Op_Deref);
  b.op(Op_Push_Deref).word(vtPointer).word(cell).word(Op_Deref);
  b.op(Op_DCall).word(2).word(go).word(0);
  b.scall(1, 7).superCall(0, fn).nativeCall(3, nat).construct(4, c);
  for (uint32_t op = Op_Add; op <= Op_Or; ++op) b.op(Opcode(op));
  b.is(c).op(Op_Not).op(Op_Neg).op(Op_Subst).op(Op_AddSubst).op(Op_SubSubst).op(Op_Deref);
  b.op(Op_Jump).word(uint32_t(-8)).op(Op_JumpZero).word(16).op(Op_Jump_And).word(8);
  b.op(Op_Jump_Or).word(uint32_t(-16)).op(Op_Ret).op(Op_InitForIn).op(Op_DoForIn).word(12);
  b.op(Op_ClearForIn).op(Op_Point).word(c->handle()).word(17).word(9);
  b.push(TValue::ofFloat(0.25f)).push(TValue{}).push(TValue::ofRef(vtError, 2));
  // Operands that name nothing, and words that print signed or unsigned.
  b.op(Op_Is).word(0).op(Op_Point).word(0).word(5).word(0).member(uint32_t(-1));
  b.op(Op_DMemberValPtr_Deref).word(0xFFFFFFFF).word(0).word(Op_Deref);
  auto info = b.finish(c, {}, false);
  std::vector<std::string> lines;
  listInstructions(info->words(), info->lengthBytes() / 4, lines);
  std::string label = c->DisplayName();
  // The fused member read prints the repeated label of its shorter form, and the
  // fused by-name read prints the symbol's number rather than its text.
  std::vector<std::string> expected = {
      "00000000:Pop",
      "00000004:Push -3",
      "00000010:PushString ab",
      "0000001C:PushThis",
      "00000020:SMemberValPtr 2",
      "00000028:DMemberValPtr hp",
      "00000034:LocalValPtr 1",
      "0000003C:ArgValPtr 2",
      "00000044:PushThis_SMemberValPtr 5",
      "00000050:PushThis_SMemberValPtr 6",
      "00000060:DMemberValPtr_Deref " + std::to_string(hp),
      "00000070:LocalValPtr_Deref 3",
      "0000007C:ArgValPtr_Deref 4",
      "00000088:Push_Deref [42]",
      "00000098:DCall 2,go",
      "000000A8:SCall 1,7",
      "000000B4:SuperCall 0,helper",
      "000000C0:NativeCall 3,natty",
      "000000CC:Constructor 4," + label,
      "000000D8:Add",
      "000000DC:Sub",
      "000000E0:Mul",
      "000000E4:Div",
      "000000E8:Mod",
      "000000EC:GT",
      "000000F0:GTE",
      "000000F4:LT",
      "000000F8:LTE",
      "000000FC:EQ",
      "00000100:NEQ",
      "00000104:And",
      "00000108:Or",
      "0000010C:Is " + label,
      "00000114:Not",
      "00000118:Neg",
      "0000011C:Subst",
      "00000120:AddSubst",
      "00000124:SubSubst",
      "00000128:Deref",
      "0000012C:Jump-8",
      "00000134:JumpZero16",
      "0000013C:Jump_And8",
      "00000144:Jump_Or-16",
      "0000014C:Ret",
      "00000150:InitForin",
      "00000154:DoForin12",
      "0000015C:ClearForin",
      "00000160:Point Listed/17",
      "00000170:Push 0.25",
      "0000017C:Push null",
      "00000188:Push Error #2",
      "00000194:Is @0",
      "0000019C:Point /5",
      "000001AC:SMemberValPtr -1",
      "000001B4:DMemberValPtr_Deref 4294967295",
  };
  EXPECT_EQ(lines, expected);
}
