#include <gtest/gtest.h>

#include <functional>
#include <map>

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

namespace {

// A class to run single instructions in: member a holds an array, `callee` takes
// two arguments, and a plain class without constructor to make and test against.
struct Stage {
  VmWorld& world = VmWorld::get();
  TRTTI* cls = world.makeClass("Staged", world.objectClass, {"a"});
  TRTTI* plain = world.makeClass("Plain", world.objectClass);
  TNormalFunction* callee;
  TNativeFunction* native;
  Ref cell = Arena::allocate(8);
  int methods = 0;

  Stage() {
    CodeBuilder body;
    body.pushInt(1).op(Op_Ret);
    callee = world.addMethod(cls, "callee", body, 2);
    native = world.addNative(cls, "nat", [](TNativeFunction*, TValue*, int32_t, uint32_t) {});
    *valueAt(cell) = TValue::ofInt(5);
  }

  uint32_t slotA() const { return uint32_t(cls->members.find(symbols::intern("a"))); }

  // A word of the kind `kind` that the instruction can run with here.
  uint32_t operandFor(OperandKind kind, uint32_t words) const {
    switch (kind) {
      case OperandKind::ValueKind:
        return vtPointer;
      case OperandKind::ValueBits:
        return cell;
      case OperandKind::MemberSlot:
        return slotA();
      case OperandKind::MemberName:
        return symbols::intern("a");
      case OperandKind::ArgCount:
        return 2;
      case OperandKind::MethodName:
        return symbols::intern("callee");
      case OperandKind::MethodIndex:
        return uint32_t(cls->MethodIndexByName("callee"));
      case OperandKind::SuperMethod:
        return callee->handle();
      case OperandKind::NativeMethod:
        return native->handle();
      case OperandKind::ClassRef:
        return plain->handle();
      case OperandKind::SourceClass:
        return cls->handle();
      case OperandKind::JumpOffset:
        return words * 4;  // the next instruction, whether taken or not
      case OperandKind::Fused:
        return Op_Halt;  // stepping onto it would stop the run before the marker
      default:
        return 0;
    }
  }

  // The instruction as the table describes it.
  void emit(CodeBuilder& b, uint32_t code) const {
    const OpcodeFacts& facts = *opcodeFacts(code);
    if (facts.words == 0) {
      b.pushString("ab");
      return;
    }
    b.op(Opcode(code));
    for (uint32_t i = 1; i < facts.words; ++i) b.word(operandFor(facts.operand(i), facts.words));
  }

  struct Result {
    int64_t depthBytes;
    TValue top;
    bool clean;
  };

  // Runs `code` (unfused) in a fresh process with one local, on an instance whose
  // member a is an array, up to its Halt.
  Result run(CodeBuilder& code) {
    auto* f = new TNormalFunction(cls, symbols::intern("m" + std::to_string(++methods)));
    f->locals.push_back("l");
    f->code = code.finish(cls, {}, false);
    cls->AddMethod(f);
    TValue self = newObject(cls);
    objectAt(self.ref)->members()[slotA()] = newObject(world.arrayClass);
    TProcess* p = TProcess::Create(self, {}, f->GetName());
    setNull(self);
    for (int guard = 0; guard < 100 && !p->halted; ++guard) Run(p, 0);
    Result r{int64_t(p->fp) - int64_t(p->sp), *valueAt(p->sp), p->halted && p->state == 0};
    delete p;
    return r;
  }
};

constexpr int32_t kMarker = 12345;

}  // namespace

// Every instruction, written as the table lays it out and run between a setup and a
// marker: the interpreter must step exactly over the table's words and move the
// stack as the verifier will assume (jumps both ways where the way shows).
TEST(OpcodeTable, InterpreterStepsAndMovesTheStackAsTheTableSays) {
  Stage stage;
  using Emit = std::function<void(CodeBuilder&)>;
  auto ints = [](std::vector<int32_t> values) {
    return [values](CodeBuilder& b) {
      for (int32_t v : values) b.pushInt(v);
    };
  };
  auto forIn = [&](CodeBuilder& b) { b.local(0).thisMemberValue(stage.slotA()).op(Op_InitForIn); };
  struct Case {
    Emit setup;
    bool jumps = false;  // the setup makes a jump be taken
  };
  std::map<uint32_t, std::vector<Case>> cases;
  for (uint32_t op : {Op_Pop, Op_Not, Op_Neg}) cases[op] = {{ints({1})}};
  for (uint32_t op = Op_Add; op <= Op_NEQ; ++op) cases[op] = {{ints({6, 3})}};
  for (uint32_t op : {Op_SMemberValPtr, Op_DMemberValPtr, Op_DMemberValPtr_Deref, Op_Is})
    cases[op] = {{[](CodeBuilder& b) { b.pushThis(); }}};
  for (uint32_t op : {Op_DCall, Op_SCall, Op_SuperCall, Op_NativeCall})
    cases[op] = {{[](CodeBuilder& b) { b.pushThis().pushInt(1).pushInt(2); }}};
  cases[Op_Constructor] = {{[](CodeBuilder& b) { b.pushNull().pushInt(1).pushInt(2); }}};
  for (uint32_t op : {Op_Subst, Op_AddSubst, Op_SubSubst})
    cases[op] = {{[](CodeBuilder& b) { b.local(0).pushInt(1); }}};
  cases[Op_Deref] = {{[](CodeBuilder& b) { b.local(0); }}};
  cases[Op_Jump] = {{[](CodeBuilder&) {}, true}};
  cases[Op_JumpZero] = {{ints({0}), true}, {ints({1})}};
  cases[Op_Jump_And] = {{ints({0}), true}, {ints({1})}};
  cases[Op_Jump_Or] = {{ints({1}), true}, {ints({0})}};
  cases[Op_InitForIn] = {{[&](CodeBuilder& b) { b.local(0).thisMemberValue(stage.slotA()); }}};
  cases[Op_DoForIn] = {{forIn, true}};  // an empty array: out at once
  cases[Op_ClearForIn] = {{forIn}};
  for (uint32_t op :
       {Op_Push, Op_PushString, Op_PushThis, Op_LocalValPtr, Op_ArgValPtr,
        Op_PushThis_SMemberValPtr, Op_PushThis_SMemberValPtr_Deref, Op_LocalValPtr_Deref,
        Op_ArgValPtr_Deref, Op_Push_Deref, Op_And, Op_Or, Op_Point})
    cases[op] = {{[](CodeBuilder&) {}}};

  for (uint32_t code = 0; code < kOpcodeCount; ++code) {
    const OpcodeFacts& facts = *opcodeFacts(code);
    if (facts.flow == Flow::Stop) continue;  // leaves no stack behind to measure
    SCOPED_TRACE(facts.name);
    ASSERT_TRUE(cases.count(code)) << "no case for this instruction";
    for (const Case& c : cases[code]) {
      CodeBuilder before, with;
      c.setup(before);
      c.setup(with);
      stage.emit(with, code);
      before.pushInt(kMarker);
      with.pushInt(kMarker);
      Stage::Result base = stage.run(before);
      Stage::Result after = stage.run(with);
      ASSERT_TRUE(base.clean && after.clean);
      EXPECT_EQ(after.top.kind, vtInt);
      EXPECT_EQ(after.top.i, kMarker);
      int64_t argc = facts.operand(1) == OperandKind::ArgCount ? 2 : 0;
      int64_t delta = c.jumps && facts.flow == Flow::BranchKeep ? 0 : facts.stack.delta - argc;
      EXPECT_EQ(after.depthBytes - base.depthBytes, delta * 8);
      if (c.jumps) {
        EXPECT_TRUE(facts.isJump());
      }
    }
  }
}
