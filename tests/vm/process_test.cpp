#include <gtest/gtest.h>

#include "support/vm_world.h"
#include "vm/runtime.h"
#include "vm/script_calls.h"

using namespace zunka;
using namespace zunka::vm;
using namespace zunka::testing;

namespace {

TRTTI* processClass(const char* name) {
  VmWorld& w = VmWorld::get();
  return w.makeClass(name, w.objectClass, {"count"});
}

std::vector<std::string> dump(const TProcess* p) {
  std::vector<std::string> lines;
  p->DumpStack(lines);
  return lines;
}

}  // namespace

TEST(Processes, MainCodeRunsWithTheGivenThisAndArguments) {
  VmWorld& w = VmWorld::get();
  TRTTI* c = processClass("MainRunner");
  CodeBuilder main;
  // count = arg0 + arg1
  main.thisMember(0).argValue(0).argValue(1).op(Op_Add).op(Op_Subst).op(Op_Pop);
  main.pushFloat(0).op(Op_Halt);
  w.setMain(c, main);
  TValue self = newObject(c);
  int64_t processesBefore = liveCounters().processes, stacksBefore = liveCounters().stacks;
  TProcess* p = TProcess::Create(self, {TValue::ofInt(3), TValue::ofInt(4)}, "");
  EXPECT_EQ(liveCounters().processes, processesBefore + 1);
  EXPECT_EQ(liveCounters().stacks, stacksBefore + 1);
  vm::Run(p, 0);
  EXPECT_TRUE(p->halted);
  EXPECT_EQ(toText(objectAt(self.ref)->members()[0]), "7");
  delete p;
  EXPECT_EQ(liveCounters().processes, processesBefore);
  EXPECT_EQ(liveCounters().stacks, stacksBefore);
  setNull(self);
}

TEST(Processes, ReturnValueStaysInTheBottomSlotAndTheDumpShowsIt) {
  VmWorld& w = VmWorld::get();
  TRTTI* c = processClass("Seven");
  CodeBuilder m;
  m.pushInt(7).op(Op_Ret);
  w.addMethod(c, "seven", m);
  TValue self = newObject(c);
  TProcess* p = TProcess::Create(self, {}, "seven");
  vm::Run(p, 0);
  EXPECT_TRUE(p->halted);
  EXPECT_EQ(p->state, 0);
  EXPECT_EQ(dump(p), (std::vector<std::string>{"-----------", "7"}));
  delete p;
  setNull(self);
}

TEST(Processes, DumpListsFramesFromTheInnermost) {
  VmWorld& w = VmWorld::get();
  TRTTI* c = processClass("Dumper");
  // inner(a, b) suspends with a temporary on its stack; outer calls it.
  TNativeFunction* suspend =
      w.addNative(c, "suspend",
                  [](TNativeFunction*, TValue*, int32_t, uint32_t) { runtime().current->Yield(); });
  CodeBuilder inner, outer;
  inner.pushInt(99).pushThis().nativeCall(0, suspend).op(Op_Pop).op(Op_Ret);
  outer.pushThis().pushInt(1).pushString("two").dcall(2, "inner").op(Op_Ret);
  w.addMethod(c, "inner", inner, 2, 1);
  w.addMethod(c, "outer", outer, 0, 0);
  TValue self = newObject(c);
  TProcess* p = TProcess::Create(self, {}, "outer");
  vm::Run(p, 0);
  EXPECT_FALSE(p->halted);
  std::string me = toText(self);
  // The suspend call's slot still holds this (the native wrote no result).
  EXPECT_EQ(dump(p),
            (std::vector<std::string>{"stacks", me, "99", "null", "args/this 2", "two", "1", me,
                                      "stacks", "args/this 0", me, "-----------", me}));
  // The next run continues after the suspend.
  vm::Run(p, 0);
  EXPECT_TRUE(p->halted);
  EXPECT_EQ(dump(p).back(), "99");
  delete p;
  setNull(self);
}

TEST(Processes, YieldEndsTheRunAfterTheCurrentInstruction) {
  VmWorld& w = VmWorld::get();
  TRTTI* c = processClass("Yielder");
  TNativeFunction* suspend =
      w.addNative(c, "suspend",
                  [](TNativeFunction*, TValue*, int32_t, uint32_t) { runtime().current->Yield(); });
  CodeBuilder main;
  CodeBuilder::Label top;
  main.bind(top).thisMember(0).pushInt(1).op(Op_AddSubst).op(Op_Pop);
  main.pushThis().nativeCall(0, suspend).op(Op_Pop).jump(Op_Jump, top);
  w.setMain(c, main, {&top});
  TValue self = newObject(c);
  objectAt(self.ref)->members()[0] = TValue::ofInt(0);
  TProcess* p = TProcess::Create(self, {}, "");
  for (int frame = 1; frame <= 3; ++frame) {
    vm::Run(p, 0);
    EXPECT_EQ(toText(objectAt(self.ref)->members()[0]), std::to_string(frame));
    // Instructions executed in this run: the loop body, plus Pop and Jump after the first.
    EXPECT_EQ(p->slice, frame == 1 ? 6 : 8);
  }
  delete p;
  setNull(self);
}

TEST(Processes, KillReleasesTheStackOnlyOnce) {
  VmWorld& w = VmWorld::get();
  TRTTI* c = processClass("Killed");
  TRTTI* held = processClass("HeldByStack");
  CodeBuilder main;
  main.pushNull().construct(0, held).op(Op_Halt);
  w.setMain(c, main);
  TValue self = newObject(c);
  TProcess* p = TProcess::Create(self, {}, "");
  vm::Run(p, 0);
  ASSERT_EQ(held->LiveCount(), 1);
  p->Kill();
  EXPECT_EQ(held->LiveCount(), 0);
  EXPECT_TRUE(p->released);
  EXPECT_EQ(objectAt(self.ref)->refCount, 1);
  p->Kill();  // nothing more is released
  EXPECT_EQ(objectAt(self.ref)->refCount, 1);
  EXPECT_TRUE(dump(p).empty());
  delete p;
  setNull(self);
}

TEST(Processes, RunTimeErrorEndsTheProcessWithStateTwo) {
  VmWorld& w = VmWorld::get();
  TRTTI* c = processClass("Failing");
  CodeBuilder main;
  main.pushInt(1).pushInt(0).op(Op_Div).op(Op_Halt);
  w.setMain(c, main);
  TValue self = newObject(c);
  TProcess* p = TProcess::Create(self, {}, "");
  vm::Run(p, 0);
  EXPECT_EQ(p->state, 2);
  EXPECT_TRUE(p->halted);
  EXPECT_TRUE(p->released);
  vm::Run(p, 0);  // a failed process never runs again
  EXPECT_EQ(objectAt(self.ref)->refCount, 1);
  delete p;
  setNull(self);
}

TEST(Processes, UnknownMethodIsRefusedAtCreation) {
  TRTTI* c = processClass("NoSuch");
  TValue self = newObject(c);
  try {
    TProcess::Create(self, {}, "absent");
    FAIL();
  } catch (const EError& e) {
    EXPECT_EQ(e.message(), "メソッドabsentは未定義です");
  }
  setNull(self);
}

TEST(Processes, NestedRunsRestoreTheCurrentProcess) {
  VmWorld& w = VmWorld::get();
  TRTTI* c = processClass("Nester");
  static TProcess* seenInside;
  static TProcess* seenAfter;
  TNativeFunction* nested =
      w.addNative(c, "nested", [](TNativeFunction*, TValue* t, int32_t, uint32_t) {
        TProcess* outer = runtime().current;
        TProcess* inner = TProcess::Create(*t, {}, "leaf");
        vm::Run(inner, 0);
        seenInside = runtime().current;
        delete inner;
        // Running the process that is running this native must not re-enter it.
        vm::Run(outer, 0);
        seenAfter = runtime().current;
      });
  CodeBuilder leaf, top;
  leaf.pushInt(1).op(Op_Ret);
  top.pushThis().nativeCall(0, nested).op(Op_Ret);
  w.addMethod(c, "leaf", leaf);
  w.addMethod(c, "top", top);
  TValue self = newObject(c);
  TProcess* p = TProcess::Create(self, {}, "top");
  vm::Run(p, 0);
  EXPECT_EQ(seenInside, p);
  EXPECT_EQ(seenAfter, p);
  EXPECT_TRUE(p->halted);
  EXPECT_EQ(runtime().current, nullptr);
  delete p;
  setNull(self);
}

TEST(Processes, NativeKillingItsOwnProcessStopsCleanly) {
  VmWorld& w = VmWorld::get();
  TRTTI* c = processClass("SelfKiller");
  TNativeFunction* killSelf =
      w.addNative(c, "killSelf",
                  [](TNativeFunction*, TValue*, int32_t, uint32_t) { runtime().current->Kill(); });
  CodeBuilder main;
  main.pushThis().pushString("arg").nativeCall(1, killSelf).pushInt(5).op(Op_Halt);
  w.setMain(c, main);
  TValue self = newObject(c);
  TProcess* p = TProcess::Create(self, {}, "");
  vm::Run(p, 0);
  EXPECT_TRUE(p->released);
  EXPECT_EQ(objectAt(self.ref)->refCount, 1);
  delete p;
  setNull(self);
}

TEST(Processes, DestructorRunsWhenAGarbageRecordIsReused) {
  VmWorld& w = VmWorld::get();
  TRTTI* c = processClass("Finalized");
  static int destroyed;
  destroyed = 0;
  TNativeFunction* note =
      w.addNative(c, "note", [](TNativeFunction*, TValue*, int32_t, uint32_t) { ++destroyed; });
  CodeBuilder dtor;
  dtor.pushThis().nativeCall(0, note).op(Op_Pop).pushThis().op(Op_Ret);
  w.addMethod(c, "destructor", dtor, 0, 0, {}, TFunction::Kind::Destructor);
  TValue a = newObject(c);
  Ref first = a.ref;
  setNull(a);
  EXPECT_EQ(destroyed, 0);  // garbage stays intact until reused
  TValue b = newObject(c);
  EXPECT_EQ(b.ref, first);
  EXPECT_EQ(destroyed, 1);
  setNull(b);
}

TEST(Processes, HostWaitsForAScriptOnlyAsLongAsItsBound) {
  VmWorld& w = VmWorld::get();
  TRTTI* c = processClass("Endless");
  CodeBuilder main;
  CodeBuilder::Label top;
  main.bind(top).jump(Op_Jump, top);
  w.setMain(c, main, {&top});
  TValue self = newObject(c);
  w.console.clear();
  RunOutcome out = RunUntilHalted(TProcess::Create(self, {}, ""), 3);
  EXPECT_EQ(out.state, 2);
  ASSERT_EQ(w.console.errors.size(), 1u);
  EXPECT_EQ(w.console.errors[0], "スクリプトが終わりません");
  EXPECT_EQ(objectAt(self.ref)->refCount, 1);  // the stack let go of it
  // A script that ends gives its result.
  CodeBuilder seven;
  seven.pushInt(7).op(Op_Ret);
  w.addMethod(c, "seven", seven);
  out = RunUntilHalted(TProcess::Create(self, {}, "seven"), 3);
  EXPECT_EQ(out.state, 0);
  EXPECT_EQ(toText(out.result), "7");
  setNull(self);
}
