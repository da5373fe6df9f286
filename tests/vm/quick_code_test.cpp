#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "support/vm_world.h"
#include "vm/quick_code.h"

// The interpreter runs runs of instructions as one step where it can (the quick
// form beside the code). Every test here runs the same code twice, once with
// the quick form and once with it wiped (each instruction as written), and asks
// for the same behaviour down to the instruction.

using namespace zunka;
using namespace zunka::vm;
using namespace zunka::testing;

namespace {

int classCounter = 0;

uint32_t* quickFormOf(const TNormalFunction* f) {
  return Arena::quickWords(f->code->code());
}
uint32_t wordCount(const TNormalFunction* f) {
  return f->code->lengthBytes() / 4;
}
bool hasSuperinstructions(const TNormalFunction* f) {
  const uint32_t* q = quickFormOf(f);
  return std::any_of(q, q + wordCount(f), [](uint32_t w) { return w >= kQuickFirst; });
}
void wipeQuickForm(const TNormalFunction* f) {
  std::fill(quickFormOf(f), quickFormOf(f) + wordCount(f) + 1, 0u);
}

struct Program {
  TRTTI* cls;
  TNormalFunction* method;
};

// A loop over locals and members of `this` in the shapes the compiler emits:
//   l0 = a; l1 = b; l2 = 0; m0 = 5;
//   while (l0 < l1) { l2 = l2 + l0 * 3; l2 = l2 % 1000; m0 += 2; m1 = m0 - l0;
//                     if (m1 >= 40) m0 -= 1; l0 += 1; }
//   return l2 - l0 + m0 * m1;
Program loopProgram(const std::function<void(CodeBuilder&)>& pushA,
                    const std::function<void(CodeBuilder&)>& pushB) {
  VmWorld& w = VmWorld::get();
  TRTTI* c = w.makeClass("Q" + std::to_string(++classCounter), w.objectClass, {"m0", "m1"});
  CodeBuilder b;
  CodeBuilder::Label top, skip, done;
  b.local(0);
  pushA(b);
  b.op(Op_Subst).op(Op_Pop);
  b.local(1);
  pushB(b);
  b.op(Op_Subst).op(Op_Pop);
  b.local(2).pushInt(0).op(Op_Subst).op(Op_Pop);
  b.thisMember(0).pushInt(5).op(Op_Subst).op(Op_Pop);
  b.bind(top).localValue(0).localValue(1).op(Op_LT).jump(Op_JumpZero, done);
  b.local(2).localValue(2).localValue(0).pushInt(3).op(Op_Mul).op(Op_Add).op(Op_Subst).op(Op_Pop);
  b.local(2).localValue(2).pushInt(1000).op(Op_Mod).op(Op_Subst).op(Op_Pop);
  b.thisMember(0).pushInt(2).op(Op_AddSubst).op(Op_Pop);
  b.thisMember(1).thisMemberValue(0).localValue(0).op(Op_Sub).op(Op_Subst).op(Op_Pop);
  b.thisMemberValue(1).pushInt(40).op(Op_GTE).jump(Op_JumpZero, skip);
  b.thisMember(0).pushInt(1).op(Op_SubSubst).op(Op_Pop);
  b.bind(skip).local(0).pushInt(1).op(Op_AddSubst).op(Op_Pop);
  b.jump(Op_Jump, top);
  b.bind(done).localValue(2).localValue(0).op(Op_Sub);
  b.thisMemberValue(0).thisMemberValue(1).op(Op_Mul).op(Op_Add).op(Op_Ret);
  TNormalFunction* m = w.addMethod(c, "m", b, 0, 3, {&top, &skip, &done});
  return {c, m};
}

struct Observed {
  VmWorld::Outcome outcome;
  std::vector<std::string> console;
};

Observed runOnce(const Program& program, const std::vector<TValue>& args = {}) {
  VmWorld& w = VmWorld::get();
  w.console.clear();
  runtime().lastWarning.clear();
  Observed o;
  o.outcome = w.run(program.cls, "m", args);
  o.console = w.console.errors;
  o.console.insert(o.console.end(), w.console.printed.begin(), w.console.printed.end());
  return o;
}

// Where the process stands after each slice of `steps` instructions.
std::vector<std::pair<Ref, Ref>> slices(const Program& program, int32_t steps,
                                        const std::vector<TValue>& args = {}) {
  TValue self = newObject(program.cls);
  TProcess* p = TProcess::Create(self, args, "m");
  setNull(self);
  std::vector<std::pair<Ref, Ref>> stops;
  for (int guard = 0; guard < 100000 && !p->halted && !p->released; ++guard) {
    vm::Run(p, steps);
    stops.emplace_back(p->pc - program.method->code->code(), p->sp);
  }
  delete p;
  return stops;
}

using Push = std::function<void(CodeBuilder&)>;
Push integer(int32_t i) {
  return [i](CodeBuilder& b) { b.pushInt(i); };
}
Push real(float f) {
  return [f](CodeBuilder& b) { b.pushFloat(f); };
}
Push text(const char* s) {
  return [s](CodeBuilder& b) { b.pushString(s); };
}
Push null() {
  return [](CodeBuilder& b) { b.pushNull(); };
}

}  // namespace

TEST(QuickForm, GivesTheSameResultsAndMessagesAsTheWrittenCode) {
  // Numbers of both kinds take the quick paths; text, null and a string compared
  // with a number leave them at the first check, mid-run.
  const std::vector<std::pair<Push, Push>> inputs = {
      {integer(0), integer(60)}, {integer(-5), integer(3)},
      {real(0.5f), real(9.25f)}, {integer(1), real(7.5f)},
      {text("ab"), integer(3)},  {null(), integer(2)},
      {integer(0), text("zz")},  {integer(2147483600), integer(2147483647)},
  };
  for (const auto& [a, b] : inputs) {
    Program quick = loopProgram(a, b);
    Program written = loopProgram(a, b);
    ASSERT_TRUE(hasSuperinstructions(quick.method));
    wipeQuickForm(written.method);
    Observed q = runOnce(quick);
    Observed plain = runOnce(written);
    SCOPED_TRACE(plain.outcome.result);
    EXPECT_EQ(q.outcome.result, plain.outcome.result);
    EXPECT_EQ(q.outcome.kind, plain.outcome.kind);
    EXPECT_EQ(q.outcome.state, plain.outcome.state);
    EXPECT_EQ(q.console, plain.console);
  }
}

TEST(QuickForm, SlicesEndAfterExactlyTheirStepsInsideRuns) {
  Program quick = loopProgram(integer(0), integer(40));
  Program written = loopProgram(integer(0), integer(40));
  wipeQuickForm(written.method);
  // Slices of every length up to the longest run, and some longer ones, end on
  // the same instruction with the same stack: a run is never split or overrun.
  for (int32_t steps : {1, 2, 3, 4, 5, 6, 7, 11, 13, 123}) {
    SCOPED_TRACE(steps);
    auto q = slices(quick, steps);
    auto plain = slices(written, steps);
    EXPECT_EQ(q, plain);
    EXPECT_GT(plain.size(), 1u);
  }
}

TEST(QuickForm, ErrorsInsideARunComeFromTheWrittenInstructionAndItsPosition) {
  // l0 = 7; l1 = 0; return l0 % l1 + 1 (the remainder by zero fails inside a run).
  VmWorld& w = VmWorld::get();
  auto build = [&] {
    TRTTI* c = w.makeClass("Q" + std::to_string(++classCounter), w.objectClass);
    CodeBuilder b;
    b.local(0).pushInt(7).op(Op_Subst).op(Op_Pop);
    b.local(1).pushInt(0).op(Op_Subst).op(Op_Pop);
    b.localValue(0).localValue(1).op(Op_Mod).pushInt(1).op(Op_Add).op(Op_Ret);
    return Program{c, w.addMethod(c, "m", b, 0, 2)};
  };
  Program quick = build();
  Program written = build();
  wipeQuickForm(written.method);
  auto stopsAt = [](const Program& program) {
    TValue self = newObject(program.cls);
    TProcess* p = TProcess::Create(self, {}, "m");
    setNull(self);
    vm::Run(p, 0);
    Ref at = p->pc - program.method->code->code();
    bool ended = p->state == 2;
    delete p;
    return std::make_pair(at, ended);
  };
  EXPECT_EQ(stopsAt(quick), stopsAt(written));
  EXPECT_TRUE(stopsAt(quick).second);
  EXPECT_EQ(runOnce(quick).console, runOnce(written).console);
}

TEST(QuickForm, AssignmentInARunStillReleasesTheOldObject) {
  // l0 = new object; l0 = 1 (its last reference goes: the written code drops
  // it); l1 = object; l0 = l1; l0 = 2 (a shared one: the run drops one count).
  VmWorld& w = VmWorld::get();
  TRTTI* c = w.makeClass("Q" + std::to_string(++classCounter), w.objectClass);
  TRTTI* item = w.makeClass("Q" + std::to_string(++classCounter), w.objectClass);
  CodeBuilder b;
  b.local(0).pushNull().construct(0, item).op(Op_Subst).op(Op_Pop);
  b.local(0).pushInt(1).op(Op_Subst).op(Op_Pop);
  b.local(1).pushNull().construct(0, item).op(Op_Subst).op(Op_Pop);
  b.local(0).localValue(1).op(Op_Subst).op(Op_Pop);
  b.local(0).pushInt(2).op(Op_Subst).op(Op_Pop);
  b.localValue(1).op(Op_Ret);
  Program p{c, w.addMethod(c, "m", b, 0, 2)};
  ASSERT_TRUE(hasSuperinstructions(p.method));
  // The finished process holds the second object as its result; the first is
  // garbage. Once the process goes, so does the second.
  TValue self = newObject(c);
  TProcess* proc = TProcess::Create(self, {}, "m");
  setNull(self);
  vm::Run(proc, 0);
  EXPECT_TRUE(proc->halted);
  EXPECT_EQ(item->LiveCount(), 1);
  delete proc;
  EXPECT_EQ(item->LiveCount(), 0);
  for (const std::string& line : runOnce(p).console) ADD_FAILURE() << line;
}

namespace {

// Arguments as operands, in the shapes short methods take:
//   while (a0 > 0) { l0 = l0 + (a0 + a1); a0 = a0 - 1; }  return l0 + a1 * 2;
Program argumentProgram() {
  VmWorld& w = VmWorld::get();
  TRTTI* c = w.makeClass("Q" + std::to_string(++classCounter), w.objectClass);
  CodeBuilder b;
  CodeBuilder::Label top, done;
  b.local(0).pushInt(0).op(Op_Subst).op(Op_Pop);
  b.bind(top).argValue(0).pushInt(0).op(Op_GT).jump(Op_JumpZero, done);
  b.local(0).localValue(0).argValue(0).argValue(1).op(Op_Add).op(Op_Add).op(Op_Subst).op(Op_Pop);
  b.arg(0).argValue(0).pushInt(1).op(Op_Sub).op(Op_Subst).op(Op_Pop);
  b.jump(Op_Jump, top);
  b.bind(done).localValue(0).argValue(1).pushInt(2).op(Op_Mul).op(Op_Add).op(Op_Ret);
  return {c, w.addMethod(c, "m", b, 2, 1, {&top, &done})};
}

}  // namespace

TEST(QuickForm, ArgumentOperandsGiveWhatTheWrittenCodeGives) {
  // Numbers of both kinds take the quick paths; a missing argument and a null
  // one leave them at the first check.
  const std::vector<std::vector<TValue>> calls = {
      {TValue::ofInt(30), TValue::ofInt(7)},
      {TValue::ofFloat(5.5f), TValue::ofInt(2)},
      {TValue::ofInt(4), TValue::ofFloat(0.25f)},
      {TValue::ofInt(3)},
      {TValue{}, TValue::ofInt(1)},
      {TValue::ofInt(-2), TValue::ofInt(9)},
  };
  Program quick = argumentProgram();
  Program written = argumentProgram();
  ASSERT_TRUE(hasSuperinstructions(quick.method));
  wipeQuickForm(written.method);
  for (const std::vector<TValue>& args : calls) {
    Observed q = runOnce(quick, args);
    Observed plain = runOnce(written, args);
    SCOPED_TRACE(plain.outcome.result);
    // An object result is `this`, whose label names each copy's own class.
    if (plain.outcome.kind != vtObject) {
      EXPECT_EQ(q.outcome.result, plain.outcome.result);
    }
    EXPECT_EQ(q.outcome.kind, plain.outcome.kind);
    EXPECT_EQ(q.outcome.state, plain.outcome.state);
    EXPECT_EQ(q.console, plain.console);
    EXPECT_TRUE(plain.outcome.halted);
  }
  EXPECT_EQ(runOnce(quick, calls[0]).outcome.result, std::to_string(30 * 31 / 2 + 30 * 7 + 14));
}

TEST(QuickForm, SlicesEndAlikeInsideArgumentRuns) {
  Program quick = argumentProgram();
  Program written = argumentProgram();
  wipeQuickForm(written.method);
  const std::vector<TValue> args = {TValue::ofInt(25), TValue::ofInt(3)};
  for (int32_t steps : {1, 2, 3, 4, 5, 7, 9, 13}) {
    SCOPED_TRACE(steps);
    EXPECT_EQ(slices(quick, steps, args), slices(written, steps, args));
  }
}
