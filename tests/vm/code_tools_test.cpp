#include <gtest/gtest.h>

#include "support/vm_world.h"
#include "vm/code_tools.h"

using namespace zunka;
using namespace zunka::vm;
using namespace zunka::testing;

namespace {

std::vector<std::string> listing(const std::vector<uint32_t>& words) {
  std::vector<std::string> lines;
  listInstructions(words.data(), uint32_t(words.size()), lines);
  return lines;
}

std::vector<uint32_t> fused(std::vector<uint32_t> words) {
  fuseInstructions(words.data(), uint32_t(words.size()));
  return words;
}

}  // namespace

TEST(Opcodes, NamesAndLengths) {
  EXPECT_STREQ(opcodeName(14), "Op_DCall");
  EXPECT_STREQ(opcodeName(0), "Op_Pop");
  EXPECT_STREQ(opcodeName(48), "Op_Halt");
  EXPECT_STREQ(opcodeName(49), "Invalid Code");
  EXPECT_STREQ(opcodeName(0xFFFFFFFF), "Invalid Code");
  uint32_t emptyString[] = {Op_PushString, 4, 0};
  uint32_t fourBytes[] = {Op_PushString, 8, 0, 0};
  EXPECT_EQ(instructionWords(emptyString) * 4, 12u);
  EXPECT_EQ(instructionWords(fourBytes) * 4, 16u);
}

TEST(Fusion, RewritesPairsAndTriplesInPlace) {
  CodeBuilder b;
  b.pushThis().member(3).op(Op_Deref);    // 9
  b.pushThis().member(2).op(Op_Pop);      // 8, then Pop
  b.push(TValue::ofInt(4)).op(Op_Deref);  // 13 whatever the immediate
  b.memberByName("hp").op(Op_Deref);      // 10
  b.local(1).op(Op_Deref);                // 11
  b.arg(0).op(Op_Deref);                  // 12
  b.local(2).pushInt(1);                  // stays 6
  b.pushThis().op(Op_Ret);                // stays 3
  b.op(Op_Halt);
  auto w = fused(b.words());
  std::vector<uint32_t> opcodes;
  for (size_t pc = 0; w[pc] != Op_Halt; pc += instructionWords(&w[pc])) opcodes.push_back(w[pc]);
  EXPECT_EQ(opcodes, (std::vector<uint32_t>{9, 8, 0, 13, 10, 11, 12, 6, 1, 3, 43}));
  EXPECT_EQ(w[2], 3u);  // the slot index stays at its word
  EXPECT_EQ(w.size(), b.words().size());
}

// The pass must land on every instruction start: each instruction the compiler
// writes is followed by a local read it should fuse. Operand words hold a fused code,
// which the pass refuses, so stepping onto one shows at once.
TEST(Fusion, StepsOverEveryInstructionTheCompilerWrites) {
  CodeBuilder b;
  std::vector<size_t> reads;
  for (uint32_t code = 0; code < kOpcodeCount; ++code) {
    const OpcodeFacts& facts = *opcodeFacts(code);
    if (facts.isFused() || code == Op_Halt) continue;
    if (facts.words == 0) {
      b.pushString("abcd");
    } else {
      b.op(Opcode(code));
      for (uint32_t i = 1; i < facts.words; ++i) b.word(Op_LocalValPtr_Deref);
    }
    reads.push_back(b.size());
    b.localValue(1);
  }
  b.op(Op_Halt);
  std::vector<uint32_t> expected = b.words();
  for (size_t at : reads) expected[at] = Op_LocalValPtr_Deref;
  EXPECT_EQ(fused(b.words()), expected);
}

TEST(Fusion, UnknownOpcodeIsReported) {
  std::vector<uint32_t> words{Op_Pop, 77, Op_Halt};
  try {
    fused(words);
    FAIL();
  } catch (const EError& e) {
    EXPECT_EQ(e.message(), "異常な命令が入っています:77");
  }
  // Already fused codes are not expected either.
  try {
    fused({Op_LocalValPtr_Deref, 0, Op_Deref, Op_Halt});
    FAIL();
  } catch (const EError& e) {
    EXPECT_EQ(e.message(), "異常な命令が入っています:11");
  }
}

TEST(Listing, LinesForEveryOperandForm) {
  VmWorld& w = VmWorld::get();
  TRTTI* c = w.makeClass("Lister", w.objectClass, {"a"});
  CodeBuilder f;
  f.pushInt(1).op(Op_Ret);
  TNormalFunction* fn = w.addMethod(c, "helper", f);
  TNativeFunction* nat =
      w.addNative(c, "natty", [](TNativeFunction*, TValue*, int32_t, uint32_t) {});
  CodeBuilder b;
  CodeBuilder::Label l;
  b.pushString("表ソ").pushFloat(0.5f).memberByName("hp").op(Op_Deref);
  b.dcall(2, "go").scall(1, 4).superCall(0, fn).nativeCall(3, nat).pushNull().construct(0, c).is(c);
  b.bind(l)
      .jump(Op_JumpZero, l)
      .pushThis()
      .member(2)
      .op(Op_Deref)
      .op(Op_Point)
      .word(c->handle())
      .word(17)
      .word(0);
  auto info = b.finish(c, {&l});
  std::vector<std::string> lines;
  listInstructions(info->words(), info->lengthBytes() / 4, lines);
  std::string label = c->DisplayName();
  // A 4-byte string takes 16 bytes: opcode, length word, text, terminator and padding.
  std::vector<std::string> expected = {
      "00000000:PushString 表ソ",
      "00000010:Push 0.5",
      "0000001C:DMemberValPtr_Deref " + std::to_string(symbols::intern("hp")),
      "0000002C:DCall 2,go",
      "0000003C:SCall 1,4",
      "00000048:SuperCall 0,helper",
      "00000054:NativeCall 3,natty",
      "00000060:Push null",
      "0000006C:Constructor 0," + label,
      "00000078:Is " + label,
      "00000080:JumpZero0",
      "00000088:PushThis_SMemberValPtr 2",
      "00000098:Point Lister/17",
  };
  EXPECT_EQ(lines, expected);
}

TEST(Listing, GlobalReadAndUnknownOpcode) {
  Ref cell = Arena::allocate(8);
  *valueAt(cell) = TValue::ofInt(42);
  CodeBuilder b;
  CodeBuilder::Label unused;
  b.pushGlobal(cell).local(3).op(Op_Deref).arg(1).jump(Op_Jump, unused);
  auto words = fused([&] {
    auto w = b.words();
    w.back() = 8;  // jump offset
    w.push_back(Op_Halt);
    return w;
  }());
  auto lines = listing(words);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "00000000:Push_Deref [42]");
  EXPECT_EQ(lines[1], "00000010:LocalValPtr_Deref 3");
  EXPECT_EQ(lines[2], "0000001C:ArgValPtr 1");
  EXPECT_EQ(lines[3], "00000024:Jump8");
  std::vector<std::string> partial;
  std::vector<uint32_t> bad{Op_Pop, Op_Add, 99, Op_Halt};
  EXPECT_THROW(listInstructions(bad.data(), uint32_t(bad.size()), partial), EError);
  EXPECT_EQ(partial, (std::vector<std::string>{"00000000:Pop", "00000004:Add"}));
}

TEST(Jumps, OffsetEightContinuesWithTheNextInstruction) {
  VmWorld& w = VmWorld::get();
  TRTTI* c = w.makeClass("Jumper", w.objectClass);
  CodeBuilder b;
  b.pushInt(1).op(Op_Jump).word(8).pushInt(2).op(Op_Add).op(Op_Ret);
  w.addMethod(c, "m", b);
  EXPECT_EQ(w.run(c, "m").result, "3");
}

TEST(Locate, TheStatementIsTheLastPointBeforeTheAddressInOrAnyOrder) {
  VmWorld& w = VmWorld::get();
  TRTTI* owner = w.makeClass("Located", w.objectClass);
  std::vector<uint32_t> words(64, Op_Pop);
  TSymInfoList inOrder;
  for (int i = 0; i < 10; ++i) inOrder.addPoint(100 + i, i * 16);
  TSymInfoList shuffled;  // a list changed by hand: 0, 32, 16
  for (int i : {0, 2, 1}) shuffled.addPoint(100 + i, i * 16);
  TCompiledInfo a(owner, words, inOrder), b(owner, words, shuffled);
  const std::string path = owner->FullPath() + ",";
  EXPECT_EQ(a.Locate(a.code()), "none");  // nothing starts before the first word
  EXPECT_EQ(a.Locate(a.code() + 1), path + "100");
  EXPECT_EQ(a.Locate(a.code() + 16), path + "100");
  EXPECT_EQ(a.Locate(a.code() + 17), path + "101");
  EXPECT_EQ(a.Locate(a.code() + 255), path + "109");
  // Out of order, the last point in the list that starts before the address.
  EXPECT_EQ(b.Locate(b.code() + 40), path + "101");
  EXPECT_EQ(b.Locate(b.code() + 17), path + "101");
  EXPECT_EQ(b.Locate(b.code() + 1), path + "100");
}
