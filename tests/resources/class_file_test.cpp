#include "tree_fixture.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "resources/cache_files.h"
#include "resources/class_file.h"
#include "resources/class_file_stream.h"
#include "resources/class_source.h"
#include "resources/content_digest.h"
#include "resources/text_file.h"
#include "vm/code_verifier.h"
#include "vm/errors.h"
#include "vm/opcodes.h"

using namespace zunka;
using namespace zunka::vm;
using namespace zunka::testing;

namespace {

// The digest of the text the class was compiled from, as the caller passes it.
constexpr uint64_t kSourceDigest = 0x0123456789ABCDEFu;

class ClassFileTest : public TreeTest {
 protected:
  void SetUp() override {
    TreeTest::SetUp();
    sub = world->addClass("Sub", "extends classes.lang.Object;\r\n");
    BuildSampleClass(*world, *sub);
  }

  std::string bytesOf(const TRTTI& cls) {
    ClassFileWriter file;
    cls.WriteClassFile(file, kSourceDigest);
    return file.bytes();
  }

  // Reads `bytes` into a reset class: "" when restored, "false" when refused, or
  // the error raised.
  std::string read(std::string_view bytes) {
    sub->Reset();
    try {
      ClassFileReader file(bytes, "broken");
      return sub->ReadClassFile(file, kSourceDigest) ? "" : "false";
    } catch (const EError& e) {
      return e.message();
    }
  }

  TNormalFunction* draw() { return static_cast<TNormalFunction*>(sub->FindMethodByName("draw")); }
  // The position recorded for an instruction of draw's code.
  int32_t positionOf(Opcode op) {
    for (const TCInfoElem& e : draw()->code->symbols().entries)
      if (e.opcode == int32_t(op)) return e.positions[0];
    return -1;
  }

  // Sub.zunka's stamp as it is now, taken `seconds` from now: for a class compiled
  // that long after its source was last written.
  SourceStamp stampAfter(int seconds) {
    std::optional<platform::FileStamp> file =
        platform::readableFileStamp(sub->src, kLargestTextFile);
    EXPECT_TRUE(file);
    return SourceStamp{file.value_or(platform::FileStamp{}),
                       platform::wallClockNs() + int64_t(seconds) * 1000000000};
  }

  TRTTI* sub;
};

std::vector<uint32_t> wordsOf(const TCompiledInfo& info) {
  return std::vector<uint32_t>(info.words(), info.words() + info.lengthBytes() / 4);
}

}  // namespace

TEST_F(ClassFileTest, ListsOnlyOwnMembersAndFunctions) {
  std::string bytes = bytesOf(*sub);
  ClassFileReader file(bytes, "broken");
  EXPECT_EQ(file.Int(), kClassFileVersion);
  EXPECT_EQ(file.Int(), ClassSourceStamp(kSourceDigest));
  EXPECT_EQ(file.Str(), "classes.lang.Object");
  EXPECT_EQ(file.Strings(), std::vector<std::string>{"z"});
  EXPECT_EQ(file.Int(), 3);  // draw, constructor, own_native
  EXPECT_EQ(file.Str(), "TNormalFunction");
  EXPECT_EQ(file.Str(), "draw");
}

TEST_F(ClassFileTest, ReadingBackRestoresTablesAndLinksTheCode) {
  std::vector<Symbol> members;
  for (int32_t i = 0; i < sub->members.count(); ++i) members.push_back(sub->members.symbolAt(i));
  std::vector<std::string> methods;
  for (TFunction* f : sub->methods())
    methods.push_back(std::string(f->hostClassName()) + " " + f->GetName());
  std::vector<uint32_t> drawWords = wordsOf(*draw()->code);
  std::string bytes = bytesOf(*sub);

  ASSERT_EQ(read(bytes), "");
  EXPECT_TRUE(sub->compiled);
  EXPECT_EQ(sub->parent, world->object);
  ASSERT_EQ(sub->members.count(), int32_t(members.size()));
  for (size_t i = 0; i < members.size(); ++i)
    EXPECT_EQ(sub->members.symbolAt(int32_t(i)), members[i]);
  std::vector<std::string> restored;
  for (TFunction* f : sub->methods())
    restored.push_back(std::string(f->hostClassName()) + " " + f->GetName());
  EXPECT_EQ(restored, methods);
  // Linked again in the same process, every operand comes out as it was written.
  EXPECT_EQ(wordsOf(*draw()->code), drawWords);
  EXPECT_EQ(draw()->code->owner(), sub);
  auto* constructor = sub->Constructor();
  ASSERT_TRUE(constructor);
  EXPECT_EQ(constructor->params, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(constructor->locals, std::vector<std::string>{"tmp"});
  EXPECT_EQ(sub->classCode->symbols().points.size(), 1u);

  // Its interpreter form waits for the first run: until then every word runs as
  // written (a start loads every kernel class, most of whose methods never run).
  const uint32_t* quick = Arena::quickWords(draw()->code->code());
  uint32_t length = draw()->code->lengthBytes() / 4 + 1;
  EXPECT_TRUE(std::all_of(quick, quick + length, [](uint32_t q) { return q == 0; }));

  // And it runs: draw stores $score into z after calling through every linked kind.
  setInt(*GlobalCell("$score"), 42);
  TValue self = newObject(sub);
  TProcess* p = TProcess::Create(self, {}, "draw");
  EXPECT_TRUE(std::any_of(quick, quick + length, [](uint32_t q) { return q != 0; }));
  vm::Run(p, 0);
  EXPECT_TRUE(p->halted);
  EXPECT_EQ(p->state, 0);
  EXPECT_EQ(toText(objectAt(self.ref)->members()[2]), "42");
  delete p;
  setNull(self);
}

TEST_F(ClassFileTest, ReadingBackGivesTheSameSymbolRecordsAndLocals) {
  // Names and point texts are taken out of the file's bytes: each must come out
  // whole, and still be right once those bytes are gone.
  auto recordsOf = [](const TCompiledInfo& info) {
    std::vector<std::string> lines;
    for (const TCInfoElem& e : info.symbols().entries) {
      std::string line = std::to_string(e.opcode) + " " + e.name;
      for (int32_t position : e.positions) line += " " + std::to_string(position);
      lines.push_back(line);
    }
    for (const auto& [text, position] : info.symbols().points)
      lines.push_back(text + "@" + std::to_string(position));
    return lines;
  };
  std::vector<std::string> drawRecords = recordsOf(*draw()->code);
  std::vector<std::string> classRecords = recordsOf(*sub->classCode);
  std::vector<std::string> drawLocals = draw()->locals;
  ASSERT_FALSE(drawRecords.empty());
  {
    std::string bytes = bytesOf(*sub);
    ASSERT_EQ(read(bytes), "");
    std::fill(bytes.begin(), bytes.end(), '\x7F');
  }
  EXPECT_EQ(recordsOf(*draw()->code), drawRecords);
  EXPECT_EQ(recordsOf(*sub->classCode), classRecords);
  EXPECT_EQ(draw()->locals, drawLocals);
  EXPECT_EQ(draw()->GetName(), "draw");
}

TEST(ClassFileReader, StringsEndAtTheirFirstZeroByte) {
  ClassFileWriter file;
  file.Int(6);
  file.Raw("ab\0cd\0", 6);
  file.Str("");
  file.Int(2);
  file.Raw("x", 2);
  ClassFileReader reader(file.bytes(), "broken");
  EXPECT_EQ(reader.View(), "ab");
  EXPECT_EQ(reader.Str(), "");
  EXPECT_EQ(reader.View(), "x");
  EXPECT_EQ(reader.remaining(), 0u);
  EXPECT_THROW(reader.View(), EError);
}

TEST_F(ClassFileTest, SavedFilesAreUsedUntilTheSourceChanges) {
  ClassSource compiled = ClassSource::OfFile(sub->src);
  ASSERT_TRUE(sub->SaveClassFile(compiled));
  sub->Reset();
  ClassSource same = ClassSource::OfFile(sub->src);
  EXPECT_TRUE(sub->LoadClassFile(same));
  EXPECT_TRUE(sub->compiled);
  // Rewritten (here with the same length, within the same second): stale.
  world->dir.write("Sub.zunka", "extends classes.lang.Objekt;\r\n");
  ClassSource edited = ClassSource::OfFile(sub->src);
  EXPECT_FALSE(sub->LoadClassFile(edited));
  EXPECT_FALSE(sub->compiled);
  EXPECT_TRUE(sub->members.count() == 0 && sub->methods().empty());
  EXPECT_EQ(console().logLines, std::vector<std::string>{"not a valid Class File"});
}

// A class file records its source's stamp from before the source was read; a
// source whose stamp still vouches for it (see StampVouchesForText) is not read.
TEST_F(ClassFileTest, AnUnchangedSourceIsNotReadWhenItsStampVouches) {
  std::string text = ReadTextFile(sub->src);
  ClassSource compiled(text, stampAfter(10));
  ASSERT_TRUE(sub->SaveClassFile(compiled));
  sub->Reset();
  ClassSource later = ClassSource::OfFile(sub->src);
  EXPECT_TRUE(sub->LoadClassFile(later));
  EXPECT_FALSE(later.wasRead());
  EXPECT_TRUE(sub->compiled);
  EXPECT_TRUE(console().logLines.empty());
}

// The file was stamped and read; a write in the same clock tick left the stamp
// as it was. A stamp so close to the file's change cannot vouch for the text.
TEST_F(ClassFileTest, ASourceRewrittenInTheTickOfItsStampIsReadAndFoundStale) {
  std::string readBefore = ReadTextFile(sub->src);
  world->dir.write("Sub.zunka", "extends classes.lang.Objekt;\r\n");  // the same size
  ClassSource compiled(readBefore, stampAfter(0));
  ASSERT_TRUE(sub->SaveClassFile(compiled));
  ClassSource now = ClassSource::OfFile(sub->src);
  ASSERT_EQ(now.stamp()->file, compiled.stamp()->file);
  EXPECT_FALSE(sub->LoadClassFile(now));
  EXPECT_TRUE(now.wasRead());
  EXPECT_FALSE(sub->compiled);
}

// A touched source is read and its text found unchanged: the class file serves.
// Once the touch lies some seconds back, the present stamp is recorded for the
// starts after.
TEST_F(ClassFileTest, ATouchedSourceKeepsItsClassFileAndHasItsStampRecorded) {
  std::string text = ReadTextFile(sub->src);
  ClassSource compiled(text, stampAfter(10));
  ASSERT_TRUE(sub->SaveClassFile(compiled));
  timespec past[2] = {{1700000000, 0}, {1700000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, platform::hostPath(sub->src).c_str(), past, 0), 0);

  ClassSource touched = ClassSource::OfFile(sub->src);
  EXPECT_TRUE(sub->LoadClassFile(touched));
  EXPECT_TRUE(touched.wasRead());
  ClassSource stillRecent = ClassSource::OfFile(sub->src);
  EXPECT_TRUE(sub->LoadClassFile(stillRecent));
  EXPECT_TRUE(stillRecent.wasRead());

  ClassSource settled(text, stampAfter(10));
  EXPECT_TRUE(sub->LoadClassFile(settled));
  ClassSource next = ClassSource::OfFile(sub->src);
  EXPECT_TRUE(sub->LoadClassFile(next));
  EXPECT_FALSE(next.wasRead());
  EXPECT_TRUE(console().logLines.empty());
}

TEST_F(ClassFileTest, AnAlteredClassFileIsRefusedThoughTheStampVouches) {
  std::string text = ReadTextFile(sub->src);
  ClassSource compiled(text, stampAfter(10));
  ASSERT_TRUE(sub->SaveClassFile(compiled));
  std::string bytes;
  ASSERT_TRUE(platform::readFile(sub->ClassFileName(), bytes));
  // A local renamed: the records still make a sound class.
  size_t at = bytes.find("tmp");
  ASSERT_NE(at, std::string::npos);
  bytes[at + 2] = 'q';
  ASSERT_TRUE(platform::writeFile(sub->ClassFileName(), bytes));
  ClassSource later = ClassSource::OfFile(sub->src);
  EXPECT_FALSE(sub->LoadClassFile(later));
  EXPECT_EQ(console().logLines, std::vector<std::string>{"not a valid Class File"});
}

// The source is read only when the stamp cannot vouch; if it has gone by then,
// that is reported as a missing file, not as a broken class file.
TEST_F(ClassFileTest, ASourceGoneBeforeItIsReadIsReportedAsMissing) {
  ASSERT_TRUE(sub->SaveClassFile(ReadTextFile(sub->src)));
  ClassSource stamped = ClassSource::OfFile(sub->src);
  ASSERT_TRUE(platform::deleteFile(sub->src));
  EXPECT_THROW(sub->LoadClassFile(stamped), EError);
  EXPECT_EQ(console().errors, std::vector<std::string>{sub->src + "が見つかりません"});
  EXPECT_TRUE(console().logLines.empty());
  EXPECT_THROW(ClassSource::OfFile(sub->src), EError);
  EXPECT_THROW(ClassSource::OfFile(""), EError);  // a class without a source file
}

TEST_F(ClassFileTest, OtherVersionsAndUncompiledParentsAreRefused) {
  std::string bytes = bytesOf(*sub);
  std::string other = bytes;
  other[0] = 0x05;
  EXPECT_EQ(read(other), "false");
  world->object->compiled = false;
  EXPECT_EQ(read(bytes), "false");
  world->object->compiled = true;
  EXPECT_EQ(read(bytes), "");
}

TEST_F(ClassFileTest, MissingParentsAndUnknownKindsAreErrors) {
  std::string bytes = bytesOf(*sub);
  std::string renamed = bytes;
  size_t at = renamed.find("classes.lang.Object");
  renamed.replace(at, 19, "classes.lang.Objekt");
  EXPECT_EQ(read(renamed), "親クラスclasses.lang.Objektはありません。");
  std::string kind = bytes;
  at = kind.find("TNormalFunction");
  kind.replace(at, 15, "TMysteryFunctio");
  EXPECT_EQ(read(kind), "broken");
  // Through the compile driver's door the class file name is in the message, and
  // the failure is logged and undone.
  WriteCacheFile(sub->ClassFileName(), kind);
  EXPECT_FALSE(sub->LoadClassFile());
  EXPECT_EQ(console().logLines, std::vector<std::string>{"not a valid Class File"});
  EXPECT_TRUE(sub->methods().empty());
}

TEST_F(ClassFileTest, LinkingReportsNamesThatAreGone) {
  std::string bytes = bytesOf(*sub);
  std::string renamed = bytes;
  // The second "ping" names the method-index call (the first is a by-name call,
  // which any name satisfies).
  renamed.replace(renamed.find("ping", renamed.find("ping") + 1), 4, "pong");
  EXPECT_EQ(read(renamed), "メソッドpongが見つかりません");
  renamed = bytes;
  renamed.replace(renamed.find("nat"), 3, "nit");
  EXPECT_EQ(read(renamed), "nativeメソッドnitが見つかりません");
}

TEST_F(ClassFileTest, EveryTruncationIsRefusedWithoutHarm) {
  std::string bytes = bytesOf(*sub);
  for (size_t n = 0; n < bytes.size(); ++n) EXPECT_NE(read(bytes.substr(0, n)), "") << n;
  EXPECT_EQ(read(bytes), "");
}

TEST_F(ClassFileTest, CorruptedBytesNeverCrash) {
  // Every byte changed in turn, two ways; the reader may accept a change that
  // still makes a sound class (a renamed local, say) but must never misbehave.
  std::string bytes = bytesOf(*sub);
  int refused = 0;
  for (size_t i = 8; i < bytes.size(); ++i) {
    for (unsigned char delta : {0x01, 0x80}) {
      std::string bad = bytes;
      bad[i] = static_cast<char>(static_cast<unsigned char>(bad[i]) ^ delta);
      refused += read(bad) != "";
    }
  }
  EXPECT_GT(refused, 0);
}

TEST_F(ClassFileTest, HugeCountsAreRefusedBeforeAllocating) {
  ClassFileWriter file;
  file.Int(kClassFileVersion);
  file.Int(ClassSourceStamp(kSourceDigest));
  file.Str("");
  file.Int(0x7FFFFFFF);  // member names
  EXPECT_EQ(read(file.bytes()), "broken");
  ClassFileWriter strings;
  strings.Int(kClassFileVersion);
  strings.Int(ClassSourceStamp(kSourceDigest));
  strings.Int(0x7FFFFFF0);  // a string longer than the file
  EXPECT_EQ(read(strings.bytes()), "broken");
}

TEST_F(ClassFileTest, CodeThatCouldMisbehaveIsRefused) {
  auto corrupt = [&](auto change) {
    BuildSampleClass(*world, *sub);
    change(draw()->code->words());
    return read(bytesOf(*sub));
  };
  EXPECT_EQ(corrupt([&](uint32_t*) {}), "");
  // An unknown opcode where a linked instruction was recorded.
  EXPECT_EQ(corrupt([&](uint32_t* w) { w[positionOf(Op_DCall) / 4] = 99; }), "broken");
  // A recorded instruction replaced by another one of the same length.
  EXPECT_EQ(corrupt([&](uint32_t* w) { w[positionOf(Op_SCall) / 4] = Op_SuperCall; }), "broken");
  // Raw references pushed as constants.
  EXPECT_EQ(corrupt([&](uint32_t* w) { w[positionOf(Op_Push) / 4 + 1] = vtObject; }), "broken");
  for (TVType kind : {vtHost, vtUnset}) {
    EXPECT_EQ(corrupt([&](uint32_t* w) {
                for (const TCInfoElem& e : draw()->code->symbols().entries)
                  if (e.opcode == Op_Push && e.name.empty()) w[e.positions[0] / 4 + 1] = kind;
              }),
              "broken");
  }
  // Jumps out of the block or into the middle of an instruction.
  auto jump = [&](int32_t offset) {
    return corrupt([&](uint32_t* w) {
      for (uint32_t i = 0;; i += instructionWords(w + i))
        if (w[i] == Op_JumpZero) {
          w[i + 1] = uint32_t(offset);
          return;
        }
    });
  };
  EXPECT_EQ(jump(-4000), "broken");
  EXPECT_EQ(jump(4000), "broken");
  EXPECT_EQ(jump(6), "broken");
  EXPECT_EQ(jump(4), "broken");  // lands on the offset word
}

// Every operand a symbol entry names, plain and inside each fused form, is written
// with a meaningless value, goes through a class file and comes back relinked.
TEST_F(ClassFileTest, LinkingFillsEveryLinkedOperandPlainOrFused) {
  TRTTI* object = world->object;
  Ref score = world->root->Find("$score")->ValueCell();
  TSymInfoList symbols;
  auto block = [&](bool linked) {
    CodeBuilder b;
    auto named = [&](Opcode op, const char* name, size_t wordsIn = 0) {
      if (!linked) symbols.record(op, name, int32_t((b.size() + wordsIn) * 4));
    };
    auto value = [&](uint32_t real) { return linked ? real : 0u; };
    auto handle = [&](const auto* o) { return linked ? o->handle() : 0u; };
    uint32_t z = value(uint32_t(sub->EnsureMember("z")));
    named(Op_Push, "$score");
    b.op(Op_Push).word(vtPointer).word(value(score)).pushInt(1).op(Op_Subst).op(Op_Pop);
    named(Op_Push, "$score");
    b.op(Op_Push_Deref).word(vtPointer).word(value(score)).word(Op_Deref).op(Op_Pop);
    named(Op_Push, "");  // constants stay as they are, each its own
    b.pushInt(9).op(Op_Pop);
    named(Op_Push, "");
    b.pushInt(7).op(Op_Pop).pushThis();
    named(Op_SMemberValPtr, "z");
    b.member(z).op(Op_Deref).op(Op_Pop);
    named(Op_SMemberValPtr, "z", 1);
    b.op(Op_PushThis_SMemberValPtr).word(Op_SMemberValPtr).word(z).op(Op_Pop);
    named(Op_SMemberValPtr, "z", 1);
    b.op(Op_PushThis_SMemberValPtr_Deref).word(Op_SMemberValPtr).word(z).word(Op_Deref);
    b.op(Op_Pop).pushThis();
    named(Op_DMemberValPtr, "x");
    b.op(Op_DMemberValPtr).word(value(symbols::intern("x"))).word(0).op(Op_Deref).op(Op_Pop);
    b.pushThis();
    named(Op_DMemberValPtr, "y");
    b.op(Op_DMemberValPtr_Deref).word(value(symbols::intern("y"))).word(0).word(Op_Deref);
    b.op(Op_Pop).pushThis();
    named(Op_DCall, "ping");
    b.op(Op_DCall).word(0).word(value(symbols::intern("ping"))).word(0).op(Op_Pop).pushThis();
    named(Op_SCall, "ping");
    b.scall(0, value(uint32_t(sub->MethodIndexByName("ping")))).op(Op_Pop).pushThis();
    named(Op_SuperCall, "draw");
    b.op(Op_SuperCall).word(0).word(handle(object->FindMethodByName("draw"))).op(Op_Pop);
    b.pushThis();
    named(Op_NativeCall, "nat");
    b.op(Op_NativeCall).word(0).word(handle(sub->FindMethodByName("nat"))).op(Op_Pop);
    b.pushNull();
    named(Op_Constructor, "classes.lang.Object");
    b.op(Op_Constructor).word(0).word(handle(object)).op(Op_Pop).pushThis();
    named(Op_Is, "classes.lang.Object");
    b.op(Op_Is).word(handle(object)).op(Op_Pop);
    return b.words();
  };
  std::vector<uint32_t> unlinked = block(false);
  ASSERT_EQ(VerifyCode(unlinked, symbols), "");

  ClassFileWriter out;
  TCompiledInfo written(sub, unlinked, symbols);
  WriteCompiledInfo(out, &written);
  ClassFileReader in(out.bytes(), "broken");
  std::unique_ptr<TCompiledInfo> read = ReadCompiledInfo(in, sub);
  Bind(*read, *sub);
  EXPECT_EQ(wordsOf(*read), block(true));
}

// Symbol entries name the instruction the compiler wrote; after fusion it may sit
// inside a longer one, at its start or (with its opcode word kept) further in.
TEST(CodeVerifier, SymbolEntriesFitPlainAndFusedInstructions) {
  auto fits = [](std::vector<uint32_t> w, Opcode named, int32_t position) {
    TSymInfoList symbols;
    symbols.record(named, "x", position);
    return VerifyCode(w, symbols) == "";
  };
  const uint32_t member = Op_SMemberValPtr;
  std::vector<uint32_t> plain{Op_PushThis, Op_SMemberValPtr, 0, Op_Pop};
  std::vector<uint32_t> fused{Op_PushThis_SMemberValPtr, member, 0, Op_Pop};
  std::vector<uint32_t> fusedRead{Op_PushThis_SMemberValPtr_Deref, member, 0, Op_Deref, Op_Pop};
  EXPECT_TRUE(fits(plain, Op_SMemberValPtr, 4));
  EXPECT_TRUE(fits(fused, Op_SMemberValPtr, 4));
  EXPECT_TRUE(fits(fusedRead, Op_SMemberValPtr, 4));
  EXPECT_FALSE(fits(fused, Op_SMemberValPtr, 0));
  EXPECT_FALSE(fits(fusedRead, Op_SMemberValPtr, 12));
  // The opcode word must still be there, and inside a member read, not any word 4.
  EXPECT_FALSE(fits({Op_PushThis_SMemberValPtr, Op_Pop, 0, Op_Pop}, Op_SMemberValPtr, 4));
  EXPECT_FALSE(fits({Op_Push, vtInt, member, Op_Pop}, Op_SMemberValPtr, 8));

  std::vector<uint32_t> byName{Op_PushThis, Op_DMemberValPtr_Deref, 5, 0, Op_Deref, Op_Pop};
  EXPECT_TRUE(fits(byName, Op_DMemberValPtr, 4));
  EXPECT_FALSE(fits(byName, Op_DMemberValPtr_Deref, 4));  // entries never name fused codes
  EXPECT_NE(VerifyCode(byName, {}), "");                  // and its symbol must be relinked
  EXPECT_TRUE(fits({Op_Push_Deref, vtPointer, 0, Op_Deref, Op_Pop}, Op_Push, 0));
  // Instructions without a linked operand are never named.
  EXPECT_FALSE(fits({Op_LocalValPtr_Deref, 0, Op_Deref, Op_Pop}, Op_LocalValPtr, 0));
  EXPECT_FALSE(fits({Op_LocalValPtr, 0, Op_Pop}, Op_LocalValPtr, 0));
  EXPECT_EQ(VerifyCode(fused, {}), "");  // slots are checked as the code runs
}

TEST(CodeVerifier, TracksTheStackAcrossJumps) {
  TSymInfoList none;
  auto verify = [&](std::vector<uint32_t> w) { return VerifyCode(w, none); };
  EXPECT_EQ(verify({Op_Push, vtInt, 1, Op_Halt}), "");
  EXPECT_EQ(verify({}), "");
  EXPECT_NE(verify({Op_Pop}), "");
  EXPECT_NE(verify({Op_Ret}), "");
  EXPECT_NE(verify({Op_Push, vtInt, 1, Op_Add}), "");
  // Both ways into the join must agree: here one path pushed one value more.
  EXPECT_NE(verify({Op_Push, vtInt, 1, Op_JumpZero, 20, Op_Push, vtInt, 2, Op_Halt}), "");
  EXPECT_EQ(verify({Op_Push, vtInt, 1, Op_JumpZero, 16, Op_PushThis, Op_Pop, Op_Halt}), "");
  // Jump_And keeps its value when it jumps and drops it when it falls through.
  EXPECT_EQ(verify({Op_Push, vtInt, 1, Op_Jump_And, 20, Op_Push, vtInt, 2, Op_Pop, Op_Halt}), "");
  // A loop whose body leaves a value behind grows without end.
  EXPECT_NE(verify({Op_PushThis, Op_Jump, uint32_t(-4)}), "");
  EXPECT_NE(verify({Op_PushString, 8, 0}), "");
  EXPECT_NE(verify({Op_PushString, 6, 0, 0}), "");
  EXPECT_NE(verify({Op_DCall, 0, 0, 0}), "");  // a name operand nobody will link
}

// Blocks are verified one after another (a class file's, a start's): what one
// block's check found (instruction starts, linked operands, stack depths) says
// nothing about the next.
TEST(CodeVerifier, KnowsNothingOfTheBlockBefore) {
  TSymInfoList none;
  TSymInfoList global;
  global.record(Op_Push, "$score", 0);
  std::vector<uint32_t> linkedPush{Op_Push, vtPointer, 0, Op_Pop, Op_PushThis, Op_Pop, Op_Halt};
  ASSERT_EQ(VerifyCode(linkedPush, global), "");
  EXPECT_NE(VerifyCode(linkedPush, none), "");  // the same push, now raw
  ASSERT_EQ(VerifyCode({Op_PushThis, Op_Pop, Op_PushThis, Op_Pop, Op_Halt}, none), "");
  // A jump into the previous block's second instruction, here an operand.
  EXPECT_NE(VerifyCode({Op_Push, vtInt, 1, Op_JumpZero, uint32_t(-8), Op_Halt}, none), "");
  ASSERT_EQ(VerifyCode({Op_Push, vtInt, 1, Op_JumpZero, 16, Op_PushThis, Op_Pop, Op_Halt}, none),
            "");
  // The jump's target was reached with one depth before; here with another.
  EXPECT_NE(VerifyCode({Op_Push, vtInt, 1, Op_JumpZero, 20, Op_Push, vtInt, 2, Op_Halt}, none), "");
}

// The digest of a cache notices any one flipped bit, the same bit flipped in two
// neighbouring words (a multiply alone carries changes only upwards, so the top
// bits of two words would cancel), and bytes added or cut at the end.
TEST(ContentDigest, NoticesFlipsInWordsAndTheirNeighboursAndLengthChanges) {
  std::string bytes(61, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = char(i * 37 + 11);
  const uint64_t digest = ContentDigest(bytes);
  std::set<uint64_t> seen{digest};
  size_t changes = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    for (int bit = 0; bit < 8; ++bit) {
      std::string one = bytes;
      one[i] = char(one[i] ^ (1 << bit));
      seen.insert(ContentDigest(one));
      ++changes;
      if (i + 8 < bytes.size()) {
        one[i + 8] = char(one[i + 8] ^ (1 << bit));
        seen.insert(ContentDigest(one));
        ++changes;
      }
    }
  }
  for (const std::string& other :
       {bytes + '\0', bytes.substr(0, 60), std::string(), std::string(1, '\0')}) {
    seen.insert(ContentDigest(other));
    ++changes;
  }
  EXPECT_EQ(seen.size(), changes + 1);
}

TEST(ClassFileReader, IntegersAreLittleEndianWhateverTheHost) {
  ClassFileWriter file;
  file.Raw("\x78\x56\x34\x12", 4);
  for (int32_t v : {-1, INT32_MIN, 0x7FFFFFFF, 12100}) file.Int(v);
  EXPECT_EQ(file.bytes().substr(4, 4), std::string(4, '\xFF'));
  ClassFileReader reader(file.bytes(), "broken");
  EXPECT_EQ(reader.Int(), 0x12345678);
  for (int32_t v : {-1, INT32_MIN, 0x7FFFFFFF, 12100}) EXPECT_EQ(reader.Int(), v);
  EXPECT_THROW(reader.Int(), EError);
}
