#include <gtest/gtest.h>

#include "compile_support.h"
#include "resources/tag_dispatch.h"

using namespace zunka;
using namespace zunka::vm;
using namespace zunka::testing;

namespace {

int counter = 0;
std::string fresh(const char* stem) {
  return stem + std::to_string(++counter);
}

// Listing lines without their addresses.
std::vector<std::string> ops(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const std::string& l : lines) out.push_back(l.substr(9));
  return out;
}

std::vector<std::string> run(const std::string& source) {
  return runMain(compiled(fresh("Run"), source));
}

}  // namespace

TEST(CodeGen, StatementSequencesThroughTheListing) {
  TRTTI* c = compiled(fresh("Seq"), "extends Object; x++; $score = 1; a.b = 1;");
  std::string cell = std::to_string(global("$score")->ValueCell());
  (void)cell;
  EXPECT_EQ(ops(mainListing(c)),
            (std::vector<std::string>{"PushThis_SMemberValPtr 0", "Push 1", "AddSubst", "Pop",
                                      "Push [変数$score]", "Push 1", "Subst", "Pop",
                                      "PushThis_SMemberValPtr 1", "DMemberValPtr b", "Push 1",
                                      "Subst", "Pop", "Push 0"}));
  EXPECT_EQ(c->members.count(), 2);  // x and a became members on first use
}

TEST(CodeGen, SymbolInformationListsEveryNamedOperand) {
  TRTTI* c = compiled(fresh("Syms"),
                      "extends Object; function f() { g(); g(); a.b = 1; }\nfunction g() {}");
  auto* f = dynamic_cast<TNormalFunction*>(c->FindMethodByName("f"));
  std::vector<std::string> lines;
  f->code->List(lines);
  // Two calls of the same method share one entry with two positions.
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "op=Op_SCall ,addr=4 ,info=g", "op=Op_SCall ,addr=24 ,info=g",
                       "op=Op_SMemberValPtr ,addr=44 ,info=a",
                       "op=Op_DMemberValPtr ,addr=56 ,info=b", "op=Op_Push ,addr=68 ,info="}));
}

TEST(CodeGen, OrChainsAndIfWithoutElse) {
  TRTTI* c = compiled(fresh("Jumps"), "extends Object; v = a || b || c; if (v) w = 1;");
  std::vector<std::string> lines = mainListing(c);
  // v; a; Jump_Or; b; Jump_Or; c; Subst -- both jumps land on the Subst after c.
  EXPECT_EQ(lines[2], "0000001C:Jump_Or48");
  EXPECT_EQ(lines[4], "00000034:Jump_Or24");
  EXPECT_EQ(lines[6], "0000004C:Subst");
  // if without else: JumpZero past the then-part and its Jump, which still aims
  // at the next instruction.
  EXPECT_EQ(lines[9], "00000064:JumpZero48");
  EXPECT_EQ(lines[14], "0000008C:Jump8");
  EXPECT_EQ(lines[15], "00000094:Push 0");
}

TEST(CodeGen, BreakReturnAndThisCalls) {
  TRTTI* c = compiled(fresh("Calls"),
                      "extends Object;\n"
                      "function f(Count) { break; return count; }\n"
                      "function g() { return; }\n"
                      "function h() { this.f(1); }\n");
  EXPECT_EQ(ops(methodListing(c, "f")),
            (std::vector<std::string>{"ArgValPtr_Deref 0", "Ret", "PushThis", "Ret"}));
  EXPECT_EQ(ops(methodListing(c, "g")),
            (std::vector<std::string>{"PushThis", "Ret", "PushThis", "Ret"}));
  // The receiver `this.` pushed is the call's target: it is not pushed twice.
  std::vector<std::string> h = ops(methodListing(c, "h"));
  EXPECT_EQ(h[0], "PushThis");
  EXPECT_EQ(h[1], "Push 1");
  EXPECT_EQ(h[2].rfind("SCall 1,", 0), 0u);
  EXPECT_EQ(h[3], "Pop");
}

TEST(CodeGen, StringEscapesKeepDoubleByteCharacters) {
  TRTTI* c = compiled(fresh("Str"), "extends Object; s = \"a\\\"b\"; t = \"\\q\"; u = \"表\\n\";");
  std::vector<std::string> lines = ops(mainListing(c));
  EXPECT_EQ(lines[1], "PushString a\"b");
  EXPECT_EQ(lines[5], "PushString q");
  EXPECT_EQ(lines[9], "PushString 表\n");
}

TEST(CodeGen, MembersFollowInheritedOnesInOrderOfFirstUse) {
  TRTTI* base = compiled(fresh("Base"), "extends Object; x = 1; y = 2;");
  TRTTI* sub =
      compiled(fresh("Sub"), "extends " + base->name() + "; q = 1; function f() { p = 2; }");
  ASSERT_EQ(sub->members.count(), 4);
  EXPECT_EQ(sub->members.textAt(0), "x");
  EXPECT_EQ(sub->members.textAt(2), "p");
  EXPECT_EQ(sub->members.textAt(3), "q");
}

TEST(CodeGen, NativeBesideAnInheritedMethodIsAppended) {
  TRTTI* base = compiled(fresh("NBase"), "extends Object; function f() { return 1; }");
  TRTTI* sub = compiled(fresh("NSub"), "extends " + base->name() + "; native f;");
  int32_t firstF = sub->MethodIndexByName("f");
  EXPECT_FALSE(sub->MethodAt(firstF)->isNative());
  int natives = 0, fs = 0;
  for (TFunction* m : sub->methods())
    if (m->GetName() == "f") ++fs, natives += m->isNative();
  EXPECT_EQ(fs, 2);
  EXPECT_EQ(natives, 1);
}

TEST(CodeGen, CompileErrors) {
  TRTTI* c = nullptr;
  EXPECT_EQ(compile(c, "E1", "extends Object; f() = 1;"), "E1:代入式の左辺がメソッド呼び出しです");
  EXPECT_EQ(compile(c, "E2", "extends Object; nothing();"), "E2:メソッドnothingは未定義です");
  EXPECT_EQ(compile(c, "E3", "extends Object; x = new Nowhere();"),
            "E3:Nowhereは定義されていません");
  EXPECT_EQ(compile(c, "E4", "extends Object; x = y is Nowhere;"),
            "E4:isの後ろがクラスでありません");
  EXPECT_EQ(compile(c, "E5", "extends Object; super.x;"),
            "E5:super.x : super.の後ろにはメソッド呼び出ししか記述できません");
  EXPECT_EQ(compile(c, "E6", "extends Object; super.g();"), "E6:メソッドsuper.gは未定義です");
  EXPECT_EQ(compile(c, "E7", "extends Nowhere;"), "E7:Nowhereは未定義です");
  EXPECT_EQ(compile(c, "E8", "extends Object; x = 99999999999;"),
            "'99999999999' is not a valid integer value");
  EXPECT_EQ(compile(c, "E9", "extends Object;\nx = 1;\ny = = 2;"), "文法エラー:E9.zunka");
  EXPECT_TRUE(c->failed);
  EXPECT_EQ(VmWorld::get().console.lastTrace.at(0).offset,
            25);  // the last accepted token: the first "="
}

TEST(CodeGen, ProgramsRun) {
  EXPECT_EQ(run("extends Object;\n"
                "function fact(n) { if (n <= 1) return 1; return n * fact(n - 1); }\n"
                "print(fact(10));"),
            (std::vector<std::string>{"3628800"}));
  EXPECT_EQ(run("extends Object;\n"
                "function f() { var i, s; s = 0; for (i = 0; i < 10; i += 1) { if (i == 5) break; "
                "s += i; } return s; }\n"
                "print(f()); x = 0; while (x < 3) x++; print(x);"),
            (std::vector<std::string>{"10", "3"}));
  EXPECT_EQ(run("extends Object; print(1 + \"a\"); print(7 / 2); print(-7 % 2); print(!(1 < 2)); "
                "print(1 && 0 || 5);"),
            (std::vector<std::string>{"1a", "3.5", "-1", "0", "5"}));
  EXPECT_EQ(
      run("extends Object; $g = 40; $g += 2; print($g); a = new Object(); print(a is Object);"),
      (std::vector<std::string>{"42", "1"}));
}

TEST(CodeGen, ObjectsMembersAndVirtualCalls) {
  TRTTI* shape = compiled(fresh("Shape"),
                          "extends Object;\n"
                          "constructor Shape(n) { name = n; }\n"
                          "function area() { return 0; }\n"
                          "function describe() { return name + \"=\" + area(); }\n");
  TRTTI* square =
      compiled(fresh("Square"), "extends " + shape->name() +
                                    ";\n"
                                    "constructor Square(s) { super(\"sq\"); side = s; }\n"
                                    "function area() { return side * side; }\n");
  TRTTI* main = compiled(
      fresh("Main"), "extends Object; s = new " + square->name() +
                         "(3); print(s.describe()); print(s.side); s.side = 4; print(s.area());");
  EXPECT_EQ(runMain(main), (std::vector<std::string>{"sq=9", "3", "16"}));
}

TEST(CodeGen, AClassBeforeItsParentCompilesInALaterPass) {
  CompileWorld& world = CompileWorld::get();
  // The child comes first in the list: the first pass leaves it pending.
  std::string child = world.dir.write("LaterChild.zunka",
                                      "extends LaterParent; c = 3; function f() { return a + c; }");
  std::string parent = world.dir.write("LaterParent.zunka", "extends Object; a = 1; b = 2;");
  auto list = MakeResource<TResourceList>("later");
  auto* raw = static_cast<TResourceList*>(list.get());
  raw->Add(ParseResourceText("<class name=\"LaterChild\" src=\"" + child + "\"/>"));
  raw->Add(ParseResourceText("<class name=\"LaterParent\" src=\"" + parent + "\"/>"));
  world.root->Add(std::move(list));
  raw->Initialize();
  auto* c = dynamic_cast<TRTTI*>(raw->FindChild("LaterChild"));
  ASSERT_TRUE(c && c->compiled);
  ASSERT_EQ(c->members.count(), 3);
  EXPECT_EQ(c->members.textAt(0), "a");
  EXPECT_EQ(c->members.textAt(2), "c");
}

TEST(CodeGen, ClassesThatNeedEachOtherAreACycle) {
  CompileWorld& world = CompileWorld::get();
  std::string a = world.dir.write("CycleA.zunka", "extends CycleB;");
  std::string b = world.dir.write("CycleB.zunka", "extends CycleA;");
  auto list = MakeResource<TResourceList>("cycle");
  auto* raw = static_cast<TResourceList*>(list.get());
  raw->Add(ParseResourceText("<class name=\"CycleA\" src=\"" + a + "\"/>"));
  raw->Add(ParseResourceText("<class name=\"CycleB\" src=\"" + b + "\"/>"));
  world.root->Add(std::move(list));
  try {
    raw->Initialize();
    FAIL();
  } catch (const EError& e) {
    EXPECT_EQ(e.message(), "循環参照があります");
  }
}

TEST(CodeGen, RunTimeErrorsAreLocatedAtTheirStatement) {
  // The failing instruction is the first of its statement (a global read).
  std::string source = "extends Object;\nx = 1;\ny = $locateUnset.m;\n";
  TRTTI* c = compiled(fresh("Locate"), source);
  runMain(c);
  VmWorld& w = VmWorld::get();
  ASSERT_FALSE(w.console.lastTrace.empty());
  EXPECT_EQ(w.console.lastTrace[0].path, c->src);
  EXPECT_EQ(w.console.lastTrace[0].offset, int32_t(source.rfind(';')));
}
