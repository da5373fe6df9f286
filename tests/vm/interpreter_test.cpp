#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "support/vm_world.h"

using namespace zunka;
using namespace zunka::vm;
using namespace zunka::testing;

namespace {

int classCounter = 0;

TRTTI* freshClass(std::initializer_list<const char*> members = {}) {
  VmWorld& w = VmWorld::get();
  return w.makeClass("T" + std::to_string(++classCounter), w.objectClass, members);
}

using Emit = std::function<void(CodeBuilder&)>;

// Runs `body` as a method ending in Ret and gives the outcome.
VmWorld::Outcome evaluate(const Emit& body, int locals = 0) {
  VmWorld& w = VmWorld::get();
  TRTTI* c = freshClass();
  CodeBuilder b;
  body(b);
  b.op(Op_Ret);
  w.addMethod(c, "m", b, 0, locals);
  w.console.clear();
  runtime().lastWarning.clear();
  return w.run(c, "m");
}

Emit value(TValue v) {
  return [v](CodeBuilder& b) { b.push(v); };
}
Emit text(const char* s) {
  return [s](CodeBuilder& b) { b.pushString(s); };
}
Emit integer(int32_t i) {
  return value(TValue::ofInt(i));
}
Emit real(float f) {
  return value(TValue::ofFloat(f));
}
Emit null() {
  return value(TValue{});
}

VmWorld::Outcome binary(Emit a, Emit b, Opcode op) {
  return evaluate([&](CodeBuilder& c) {
    a(c);
    b(c);
    c.op(op);
  });
}

std::string show(const VmWorld::Outcome& o) {
  static const char* kinds[] = {"null",    "int",  "float", "object",
                                "pointer", "host", "error", "unset"};
  return std::string(kinds[o.kind]) + ":" + o.result;
}

}  // namespace

TEST(Arithmetic, IntegerAndFloatRows) {
  EXPECT_EQ(show(binary(integer(7), integer(2), Op_Div)), "float:3.5");
  EXPECT_EQ(show(binary(integer(6), integer(3), Op_Div)), "int:2");
  EXPECT_EQ(show(binary(integer(-7), integer(2), Op_Mod)), "int:-1");
  EXPECT_EQ(show(binary(real(7.9f), integer(2), Op_Mod)), "int:1");
  EXPECT_EQ(show(binary(integer(7), real(2.9f), Op_Mod)), "int:1");
  EXPECT_EQ(show(binary(integer(2), real(0.5f), Op_Add)), "float:2.5");
  EXPECT_EQ(show(binary(real(0.5f), integer(2), Op_Sub)), "float:-1.5");
  EXPECT_EQ(show(binary(integer(3), integer(4), Op_Mul)), "int:12");
  EXPECT_EQ(show(binary(integer(3), real(0.5f), Op_Mul)), "float:1.5");
  EXPECT_EQ(show(binary(real(1.0f), real(4.0f), Op_Div)), "float:0.25");
  EXPECT_EQ(show(binary(integer(std::numeric_limits<int32_t>::max()), integer(1), Op_Add)),
            "int:-2147483648");
}

TEST(Arithmetic, MostNegativeByMinusOneWrapsInsteadOfTrapping) {
  EXPECT_EQ(show(binary(integer(std::numeric_limits<int32_t>::min()), integer(-1), Op_Div)),
            "int:-2147483648");
  EXPECT_EQ(show(binary(integer(std::numeric_limits<int32_t>::min()), integer(-1), Op_Mod)),
            "int:0");
}

TEST(Arithmetic, DivisionByZeroEndsTheProcess) {
  VmWorld& w = VmWorld::get();
  for (Opcode op : {Op_Div, Op_Mod}) {
    auto out = binary(integer(1), integer(0), op);
    EXPECT_EQ(out.state, 2);
    ASSERT_EQ(w.console.errors.size(), 1u);
    EXPECT_EQ(w.console.errors[0], "Division by zero");
  }
  EXPECT_EQ(binary(real(1.0f), integer(0), Op_Mod).state, 2);
  EXPECT_EQ(show(binary(real(1.0f), integer(0), Op_Div)), "float:INF");
}

TEST(Arithmetic, ConcatenationAndOtherKinds) {
  EXPECT_EQ(show(binary(integer(1), text("a"), Op_Add)), "object:1a");
  EXPECT_EQ(show(binary(text("a"), integer(1), Op_Add)), "object:a1");
  EXPECT_EQ(show(binary(null(), integer(5), Op_Add)), "int:5");
  EXPECT_EQ(show(binary(integer(5), null(), Op_Add)), "int:5");
  EXPECT_EQ(show(binary(text("a"), null(), Op_Add)), "object:a");
  EXPECT_EQ(show(binary(real(0.5f), text("x"), Op_Add)), "object:0.5x");
  EXPECT_EQ(show(binary(null(), integer(5), Op_Sub)), "int:-5");
  EXPECT_EQ(show(binary(null(), real(2.5f), Op_Sub)), "float:-2.5");
  EXPECT_EQ(show(binary(null(), integer(5), Op_Mul)), "int:5");
  EXPECT_EQ(show(binary(text("a"), integer(5), Op_Sub)), "object:a");
  EXPECT_EQ(show(binary(text("a"), integer(5), Op_Mul)), "object:a");
  EXPECT_EQ(show(binary(integer(5), text("a"), Op_Sub)), "int:5");
  // Any object starts a concatenation through its text form.
  VmWorld& w = VmWorld::get();
  TRTTI* player = w.makeClass("Player", w.objectClass);
  TRTTI* c = freshClass();
  CodeBuilder b;
  b.pushNull().construct(0, player).pushInt(1).op(Op_Add).op(Op_Ret);
  w.addMethod(c, "m", b);
  auto out = w.run(c, "m");
  EXPECT_EQ(out.result.substr(0, 7), "Player@");
  EXPECT_EQ(out.result.back(), '1');
}

TEST(Comparison, ResultsAreFloatsAndNotGivesIntegers) {
  EXPECT_EQ(show(binary(integer(1), integer(2), Op_LT)), "float:1");
  EXPECT_EQ(show(binary(integer(1), integer(2), Op_GT)), "float:0");
  EXPECT_EQ(show(binary(integer(2), real(2.0f), Op_EQ)), "float:1");
  EXPECT_EQ(show(binary(integer(2), real(2.0f), Op_GTE)), "float:1");
  EXPECT_EQ(show(binary(integer(2), real(2.5f), Op_LTE)), "float:1");
  EXPECT_EQ(show(binary(text("3"), integer(3), Op_EQ)), "float:1");
  EXPECT_EQ(show(binary(integer(3), text("3"), Op_EQ)), "float:0");
  EXPECT_EQ(show(binary(text("abc"), text("abd"), Op_LT)), "float:0");
  EXPECT_EQ(show(binary(text("abc"), text("abd"), Op_NEQ)), "float:1");
  auto notOfLess = evaluate([](CodeBuilder& b) { b.pushInt(1).pushInt(2).op(Op_LT).op(Op_Not); });
  EXPECT_EQ(show(notOfLess), "int:0");
  auto negated = evaluate([](CodeBuilder& b) { b.pushFloat(1.5f).op(Op_Neg); });
  EXPECT_EQ(show(negated), "float:-1.5");
}

TEST(Logic, AndOrLeaveTheDecidingValue) {
  // left && right: Jump_And over the right operand.
  auto andOf = [](Emit left, Emit right) {
    return evaluate([&](CodeBuilder& b) {
      CodeBuilder::Label end;
      left(b);
      b.jump(Op_Jump_And, end);
      right(b);
      b.op(Op_And).bind(end);
      b.op(Op_Ret);
      // evaluate() appends another Ret after this one; it is never reached.
    });
  };
  (void)andOf;
  VmWorld& w = VmWorld::get();
  auto run = [&](Emit left, Emit right, Opcode jump) {
    TRTTI* c = freshClass();
    CodeBuilder b;
    CodeBuilder::Label end;
    left(b);
    b.jump(jump, end);
    right(b);
    b.bind(end).op(Op_Ret);
    w.addMethod(c, "m", b, 0, 0, {&end});
    return show(w.run(c, "m"));
  };
  EXPECT_EQ(run(integer(0), integer(5), Op_Jump_And), "int:0");
  EXPECT_EQ(run(integer(2), integer(5), Op_Jump_And), "int:5");
  EXPECT_EQ(run(text("s"), integer(5), Op_Jump_Or), "object:s");
  EXPECT_EQ(run(null(), integer(5), Op_Jump_Or), "int:5");
}

TEST(Loops, CountingLoopWithLocals) {
  // l0 = 0; l1 = 0; while (l0 < 100) { l1 += l0; l0 = l0 + 1; } return l1;
  VmWorld& w = VmWorld::get();
  TRTTI* c = freshClass();
  CodeBuilder b;
  CodeBuilder::Label top, done;
  b.local(0).pushInt(0).op(Op_Subst).op(Op_Pop);
  b.local(1).pushInt(0).op(Op_Subst).op(Op_Pop);
  b.bind(top).localValue(0).pushInt(100).op(Op_LT).jump(Op_JumpZero, done);
  b.local(1).localValue(0).op(Op_AddSubst).op(Op_Pop);
  b.local(0).localValue(0).pushInt(1).op(Op_Add).op(Op_Subst).op(Op_Pop);
  b.jump(Op_Jump, top);
  b.bind(done).localValue(1).op(Op_Ret);
  w.addMethod(c, "m", b, 0, 2, {&top, &done});
  EXPECT_EQ(show(w.run(c, "m")), "int:4950");
}

TEST(Assignment, CompoundAssignmentLeavesTheNewValueNotAPointer) {
  // return (l0 += 2) after l0 = 5: the value, so nothing can keep a pointer into
  // the frame that is about to go.
  auto sum = evaluate(
      [](CodeBuilder& b) {
        b.local(0).pushInt(5).op(Op_Subst).op(Op_Pop);
        b.local(0).pushInt(2).op(Op_AddSubst);
      },
      1);
  EXPECT_EQ(show(sum), "int:7");
  auto difference = evaluate(
      [](CodeBuilder& b) {
        b.local(0).pushInt(1).op(Op_Subst).op(Op_Pop);
        b.local(0).pushFloat(1.5f).op(Op_SubSubst);
      },
      1);
  EXPECT_EQ(show(difference), "float:-0.5");
  // An object target is left as it is, and the value it leaves is counted: the
  // frame's release of the local and the caller's of the result balance.
  VmWorld& w = VmWorld::get();
  auto text = evaluate(
      [](CodeBuilder& b) {
        b.local(0).pushString("abc").op(Op_Subst).op(Op_Pop);
        b.local(0).pushString("x").op(Op_AddSubst);
      },
      1);
  EXPECT_EQ(show(text), "object:abc");
  EXPECT_EQ(text.state, 0);
  EXPECT_TRUE(w.console.errors.empty());
}

namespace {
void arrayAdd(TNativeFunction*, TValue* target, int32_t argc, uint32_t) {
  if (argc < 2) return;
  if (auto* list = hostAs<TValueList>(target[-1].ref)) list->add(target[-2]);
}
}  // namespace

TEST(Loops, ForInVisitsElementsAppendedDuringTheLoop) {
  VmWorld& w = VmWorld::get();
  TValue arr = newObject(w.arrayClass);
  auto* list = new TValueList();
  objectAt(arr.ref)->members()[0] = TValue::ofRef(vtHost, list->handle());
  list->add(TValue::ofInt(1));
  list->add(TValue::ofInt(2));
  TRTTI* c = freshClass();
  TNativeFunction* add = w.addNative(c, "add", arrayAdd);
  // sum = 0; for (e in arr) { sum += e; if (e < 4) arr.add(e + 2); } return sum;
  Ref global = Arena::allocate(8);
  assign(*valueAt(global), &arr);
  CodeBuilder b;
  CodeBuilder::Label loop, done, skip;
  b.local(1).pushInt(0).op(Op_Subst).op(Op_Pop);
  b.local(0).pushGlobal(global).op(Op_InitForIn);
  b.bind(loop).jump(Op_DoForIn, done);
  b.local(1).localValue(0).op(Op_AddSubst).op(Op_Pop);
  b.localValue(0).pushInt(4).op(Op_LT).jump(Op_JumpZero, skip);
  b.pushThis().push(TValue::ofRef(vtHost, list->handle())).localValue(0).pushInt(2).op(Op_Add);
  b.nativeCall(2, add).op(Op_Pop);
  b.bind(skip).jump(Op_Jump, loop);
  b.bind(done).op(Op_ClearForIn).localValue(1).op(Op_Ret);
  w.addMethod(c, "m", b, 0, 2, {&loop, &done, &skip});
  // 1, 2, then 3 (from 1), 4 (from 2), 5 (from 3): 15
  EXPECT_EQ(show(w.run(c, "m")), "int:15");
  EXPECT_EQ(list->count(), 5);
  setNull(*valueAt(global));
  setNull(arr);
}

TEST(Loops, ForInOverANonArrayIsAnError) {
  VmWorld& w = VmWorld::get();
  auto out = evaluate([](CodeBuilder& b) { b.local(0).pushInt(3).op(Op_InitForIn); }, 1);
  EXPECT_EQ(out.state, 2);
  ASSERT_FALSE(w.console.errors.empty());
  EXPECT_EQ(w.console.errors.back(), "inの後ろの値が配列でありません");
}

TEST(Members, MissingMemberWarnsOnceAndGivesError) {
  VmWorld& w = VmWorld::get();
  TRTTI* target = freshClass({"hp"});
  TRTTI* c = freshClass();
  CodeBuilder b;
  CodeBuilder::Label top, done;
  // Three reads of a missing member in a loop: one warning only.
  b.local(0).pushInt(0).op(Op_Subst).op(Op_Pop);
  b.bind(top).localValue(0).pushInt(3).op(Op_LT).jump(Op_JumpZero, done);
  b.pushNull().construct(0, target).memberByName("mp").op(Op_Deref).op(Op_Pop);
  b.local(0).pushInt(1).op(Op_AddSubst).op(Op_Pop).jump(Op_Jump, top);
  b.bind(done).pushNull().construct(0, target).memberByName("hp").op(Op_Deref).op(Op_Ret);
  w.addMethod(c, "m", b, 0, 1, {&top, &done});
  w.console.clear();
  runtime().lastWarning.clear();
  auto out = w.run(c, "m");
  EXPECT_EQ(out.result, "変数hp");
  ASSERT_EQ(w.console.errors.size(), 1u);
  EXPECT_EQ(w.console.errors[0], "変数mpは定義されていません");
}

TEST(Members, AccessOnNonObjectsWarnsWithTheReason) {
  VmWorld& w = VmWorld::get();
  auto out = evaluate([](CodeBuilder& b) { b.pushInt(5).memberByName("x").op(Op_Deref); });
  EXPECT_EQ(show(out), "error:Error #0");
  ASSERT_EQ(w.console.errors.size(), 1u);
  EXPECT_EQ(w.console.errors[0], "5はオブジェクトではないため、メンバ変数xを参照できません");
  out = evaluate([](CodeBuilder& b) {
    b.push(TValue::ofRef(vtUnset, symbols::intern("foo"))).memberByName("x");
  });
  EXPECT_EQ(w.console.errors.back(),
            "変数fooは初期化されていないため、メンバ変数xを参照できません");
  TValue err;
  err.kind = vtError;
  out = evaluate([&](CodeBuilder& b) { b.push(err).memberByName("x").op(Op_Deref); });
  EXPECT_TRUE(w.console.errors.empty());
}

TEST(Members, StaticSlotsAndAssignment) {
  VmWorld& w = VmWorld::get();
  TRTTI* c = freshClass({"x", "y"});
  CodeBuilder b;
  // x = 3; y = x * 2; return y  (through the fused this-member forms)
  b.thisMember(0).pushInt(3).op(Op_Subst).op(Op_Pop);
  b.thisMember(1).thisMemberValue(0).pushInt(2).op(Op_Mul).op(Op_Subst).op(Op_Pop);
  b.thisMemberValue(1).op(Op_Ret);
  w.addMethod(c, "m", b);
  EXPECT_EQ(show(w.run(c, "m")), "int:6");
}

TEST(Members, ASlotPastTheClassesMembersIsRefused) {
  // Code written for a class with more members: the last slot is read and
  // written, the one past it is an error, never the next record's memory.
  VmWorld& w = VmWorld::get();
  TRTTI* c = freshClass({"x", "y"});
  CodeBuilder last, past;
  last.thisMember(1).pushInt(7).op(Op_Subst).op(Op_Pop).thisMemberValue(1).op(Op_Ret);
  past.thisMemberValue(2).op(Op_Ret);
  w.addMethod(c, "last", last);
  w.addMethod(c, "past", past);
  EXPECT_EQ(show(w.run(c, "last")), "int:7");
  w.console.clear();
  w.run(c, "past");
  ASSERT_FALSE(w.console.errors.empty());
  EXPECT_EQ(w.console.errors.back(), "メンバ変数の番号が正しくありません");
  // A class whose layout is not made yet has no slot at all.
  TRTTI bare("Bare");
  EXPECT_FALSE(bare.hasMemberSlot(0));
  EXPECT_LE(bare.memberSlots(), 0);
  EXPECT_EQ(c->memberSlots(), 2);
}

TEST(Calls, AllFiveKinds) {
  VmWorld& w = VmWorld::get();
  TRTTI* base = freshClass({"v"});
  // base.twice(a) = a * 2 ; base.constructor(a) { v = a; return this }
  CodeBuilder twice, ctor;
  twice.argValue(0).pushInt(2).op(Op_Mul).op(Op_Ret);
  ctor.thisMember(0).argValue(0).op(Op_Subst).op(Op_Pop).pushThis().op(Op_Ret);
  TNormalFunction* baseTwice = w.addMethod(base, "twice", twice, 1);
  w.addMethod(base, "constructor", ctor, 1, 0, {}, TFunction::Kind::Constructor);
  TRTTI* sub = w.makeClass("Sub" + std::to_string(++classCounter), base);
  // sub.twice(a) = super.twice(a) + 1
  CodeBuilder subTwice;
  subTwice.pushThis().argValue(0).superCall(1, baseTwice).pushInt(1).op(Op_Add).op(Op_Ret);
  w.addMethod(sub, "twice", subTwice, 1);
  TNativeFunction* triple =
      w.addNative(sub, "triple", [](TNativeFunction*, TValue* t, int32_t argc, uint32_t) {
        if (argc >= 1) setInt(*t, toInt(t[-1]) * 3);
      });
  int32_t twiceIndex = sub->MethodIndexByName("twice");
  // new Sub(5).twice(v) by name, by index, then native triple, with the member read.
  CodeBuilder m;
  m.local(0).pushNull().pushInt(5).construct(1, sub).op(Op_Subst).op(Op_Pop);
  m.localValue(0).localValue(0).memberByName("v").op(Op_Deref).dcall(1, "twice");  // 11
  m.localValue(0).pushInt(10).scall(1, uint32_t(twiceIndex)).op(Op_Add);           // + 21
  m.pushThis().pushInt(7).nativeCall(1, triple).op(Op_Add);                        // + 21
  m.op(Op_Ret);
  w.addMethod(sub, "main", m, 0, 1);
  w.console.clear();
  auto out = w.run(sub, "main");
  EXPECT_EQ(show(out), "int:53") << out.state << out.halted
                                 << (w.console.errors.empty() ? "" : w.console.errors[0]);
}

TEST(Calls, MissingMethodRunsErrorHookAfterOneWarning) {
  VmWorld& w = VmWorld::get();
  TRTTI* c = freshClass();
  CodeBuilder hook;
  hook.argValue(0).pushInt(100).op(Op_Add).op(Op_Ret);
  w.addMethod(c, "_errorHook", hook, 1);
  CodeBuilder m;
  CodeBuilder::Label top, done;
  m.local(0).pushInt(0).op(Op_Subst).op(Op_Pop);
  m.local(1).pushInt(0).op(Op_Subst).op(Op_Pop);
  m.bind(top).localValue(0).pushInt(3).op(Op_LT).jump(Op_JumpZero, done);
  m.local(1).pushThis().localValue(0).dcall(1, "nothere").op(Op_AddSubst).op(Op_Pop);
  m.local(0).pushInt(1).op(Op_AddSubst).op(Op_Pop).jump(Op_Jump, top);
  m.bind(done).localValue(1).op(Op_Ret);
  w.addMethod(c, "m", m, 0, 2, {&top, &done});
  w.console.clear();
  runtime().lastWarning.clear();
  EXPECT_EQ(show(w.run(c, "m")), "int:303");
  ASSERT_EQ(w.console.errors.size(), 1u);
  EXPECT_EQ(w.console.errors[0], "メソッドnothereは定義されていません");
}

TEST(Calls, MissingMethodWithoutHookIsAnError) {
  VmWorld& w = VmWorld::get();
  TRTTI* c = freshClass();
  auto out = evaluate([&](CodeBuilder& b) { b.pushNull().construct(0, c).dcall(0, "gone"); });
  EXPECT_EQ(out.state, 2);
  ASSERT_EQ(w.console.errors.size(), 2u);  // the warning, then the error
  EXPECT_EQ(w.console.errors[1], "メソッドgoneは定義されていません");
  out = evaluate([&](CodeBuilder& b) { b.pushInt(4).dcall(0, "gone"); });
  EXPECT_EQ(out.state, 2);
  EXPECT_EQ(w.console.errors[0], "4はオブジェクトではないため、メソッドgoneを呼び出せません");
}

TEST(Calls, NativeCannotBeCalledByName) {
  VmWorld& w = VmWorld::get();
  TRTTI* c = freshClass();
  w.addNative(c, "nat", [](TNativeFunction*, TValue*, int32_t, uint32_t) {});
  auto out = evaluate([&](CodeBuilder& b) { b.pushNull().construct(0, c).dcall(0, "nat"); });
  EXPECT_EQ(out.state, 2);
  EXPECT_EQ(w.console.errors.back(), "Native関数natは呼び出せません");
}

TEST(Calls, ArgumentPastTheCountIsNull) {
  VmWorld& w = VmWorld::get();
  TRTTI* c = freshClass();
  // f(a, b) reads argument 3 and assigns to it; the assignment lands in the dummy.
  CodeBuilder f;
  f.arg(3).pushInt(9).op(Op_Subst).op(Op_Pop).argValue(3).op(Op_Ret);
  w.addMethod(c, "f", f, 2);
  auto out = evaluate(
      [&](CodeBuilder& b) { b.pushNull().construct(0, c).pushInt(1).pushInt(2).dcall(2, "f"); });
  EXPECT_EQ(show(out), "null:null");
}

TEST(Calls, StackOverflowByRecursionAndByManyLocals) {
  VmWorld& w = VmWorld::get();
  TRTTI* c = freshClass();
  CodeBuilder rec;
  rec.pushThis().argValue(0).pushInt(1).op(Op_Add).dcall(1, "down").op(Op_Ret);
  w.addMethod(c, "down", rec, 1);
  auto out =
      evaluate([&](CodeBuilder& b) { b.pushNull().construct(0, c).pushInt(0).dcall(1, "down"); });
  EXPECT_EQ(out.state, 2);
  EXPECT_EQ(w.console.errors.back(), "スタックオーバーフロー");

  TRTTI* big = freshClass();
  CodeBuilder body;
  body.pushInt(1).op(Op_Ret);
  w.addMethod(big, "wide", body, 0, 120);
  out = evaluate([&](CodeBuilder& b) { b.pushNull().construct(0, big).dcall(0, "wide"); });
  EXPECT_EQ(out.state, 2);
  EXPECT_EQ(w.console.errors.back(), "スタックオーバーフロー");

  // A constructor chain and plain pushes are checked as well.
  TRTTI* deep = freshClass();
  CodeBuilder ctor;
  ctor.pushNull().construct(0, deep).op(Op_Pop).pushThis().op(Op_Ret);
  w.addMethod(deep, "constructor", ctor, 0, 0, {}, TFunction::Kind::Constructor);
  out = evaluate([&](CodeBuilder& b) { b.pushNull().construct(0, deep); });
  EXPECT_EQ(out.state, 2);
  EXPECT_EQ(w.console.errors.back(), "スタックオーバーフロー");
  out = evaluate([&](CodeBuilder& b) {
    for (int i = 0; i < 200; ++i) b.pushInt(i);
  });
  EXPECT_EQ(out.state, 2);
  EXPECT_EQ(w.console.errors.back(), "スタックオーバーフロー");
}

TEST(Calls, IsChecksTheClassChain) {
  VmWorld& w = VmWorld::get();
  TRTTI* a = freshClass();
  TRTTI* b = w.makeClass("Below" + std::to_string(++classCounter), a);
  EXPECT_EQ(show(evaluate([&](CodeBuilder& c) { c.pushNull().construct(0, b).is(a); })), "int:1");
  EXPECT_EQ(show(evaluate([&](CodeBuilder& c) { c.pushNull().construct(0, a).is(b); })), "int:0");
  EXPECT_EQ(show(evaluate([&](CodeBuilder& c) { c.pushInt(1).is(a); })), "int:0");
}

// A debugger that stops keeps the run going however long the user steps; one
// that only looks for a breakpoint leaves the run its own count of steps.
TEST(Budget, ARunKeepsItsOwnStepsWhenThePauseOnlyLooks) {
  VmWorld& w = VmWorld::get();
  TRTTI* c = freshClass();
  CodeBuilder b;
  b.pushInt(1).pushInt(2).op(Op_Add).pushInt(3).op(Op_Add).op(Op_Ret);
  w.addMethod(c, "m", b);
  static int pauses;
  static bool stops;
  runtime().pauseRoutine = [] {
    ++pauses;
    runtime().debugStepBudget = 1;
    return stops;
  };
  for (bool stopping : {false, true}) {
    TValue self = newObject(c);
    TProcess* p = TProcess::Create(self, {}, "m");
    setNull(self);
    pauses = 0;
    stops = stopping;
    runtime().debugStepBudget = 1;
    vm::Run(p, 2);
    EXPECT_EQ(pauses, stopping ? 6 : 2);
    EXPECT_EQ(bool(p->halted), stopping);  // stepping runs on past the run's two steps
    delete p;
  }
  runtime().debugStepBudget = kUnlimitedSteps;
  runtime().pauseRoutine = nullptr;
}

TEST(Budget, DebugStepBudgetOfOnePausesAfterEachInstruction) {
  VmWorld& w = VmWorld::get();
  TRTTI* c = freshClass();
  CodeBuilder b;
  b.pushInt(1).pushInt(2).op(Op_Add).op(Op_Ret);
  w.addMethod(c, "m", b);
  TValue self = newObject(c);
  TProcess* p = TProcess::Create(self, {}, "m");
  setNull(self);
  static int pauses;
  pauses = 0;
  runtime().pauseRoutine = [] {
    ++pauses;
    runtime().debugStepBudget = 1;
    return true;
  };
  runtime().debugStepBudget = 1;
  vm::Run(p, 0);
  // One instruction per slice, the pause routine between slices.
  EXPECT_EQ(pauses, 4);
  EXPECT_TRUE(p->halted);
  EXPECT_EQ(p->slice, 1);
  runtime().debugStepBudget = kUnlimitedSteps;
  runtime().pauseRoutine = nullptr;
  delete p;
}
