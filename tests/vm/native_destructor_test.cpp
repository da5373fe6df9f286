#include <gtest/gtest.h>

#include "support/vm_world.h"
#include "vm/collector.h"
#include "vm/errors.h"
#include "vm/natives/string_natives.h"
#include "vm/tfstring.h"

// Destructors that only hand a member to a native (the kernel containers') run
// without a process; every other destructor keeps its process.

using namespace zunka;
using namespace zunka::vm;
using namespace zunka::testing;

namespace {

int classCounter = 0;

struct Seen {
  int calls = 0;
  std::string argument;
  bool hadProcess = false;
  bool fail = false;
};
Seen seen;

void recordingNative(TNativeFunction*, TValue* target, int32_t argc, uint32_t) {
  ++seen.calls;
  seen.argument = argc >= 1 ? toText(target[-1]) : "";
  seen.hadProcess = runtime().current != nullptr;
  if (seen.fail) throw ERuntimeError("壊れています");
}

// A class whose destructor hands member 0 to the recording native, then (when
// `more`) does something else as well.
TRTTI* classWithDestructor(bool more) {
  VmWorld& w = VmWorld::get();
  TRTTI* c = w.makeClass("D" + std::to_string(++classCounter), w.objectClass, {"body"});
  TNativeFunction* native = w.addNative(c, "freeBody", recordingNative);
  CodeBuilder d;
  d.pushThis().thisMemberValue(0).nativeCall(1, native).op(Op_Pop);
  if (more) d.thisMember(0).pushInt(0).op(Op_Subst).op(Op_Pop);
  d.pushThis().op(Op_Ret);
  w.addMethod(c, "destructor", d, 0, 0, {}, TFunction::Kind::Destructor);
  return c;
}

Ref garbageWithBody(TRTTI* c, TValue body) {
  Ref record = c->NewInstance();
  assign(objectAt(record)->members()[0], &body);
  return record;
}

}  // namespace

TEST(NativeOnlyDestructor, CallsTheNativeWithTheMemberAndNoProcess) {
  VmWorld& w = VmWorld::get();
  w.console.clear();
  seen = {};
  TRTTI* c = classWithDestructor(false);
  Ref record = garbageWithBody(c, TValue::ofInt(42));
  DestroyObject(record);
  EXPECT_EQ(seen.calls, 1);
  EXPECT_EQ(seen.argument, "42");
  EXPECT_FALSE(seen.hadProcess);
  EXPECT_EQ(c->LiveCount(), 0);
  EXPECT_TRUE(w.console.errors.empty());
}

TEST(NativeOnlyDestructor, AFailingNativeIsReportedAndTheRecordStillGoes) {
  VmWorld& w = VmWorld::get();
  w.console.clear();
  seen = {};
  seen.fail = true;
  TRTTI* c = classWithDestructor(false);
  TRTTI* held = w.makeClass("D" + std::to_string(++classCounter), w.objectClass);
  TValue member = newObject(held);
  Ref record = garbageWithBody(c, member);
  setNull(member);
  DestroyObject(record);
  EXPECT_EQ(seen.calls, 1);
  ASSERT_EQ(w.console.errors.size(), 1u);
  EXPECT_EQ(w.console.errors[0], "壊れています");
  EXPECT_EQ(c->LiveCount(), 0);
  EXPECT_EQ(held->LiveCount(), 0);  // the member was let go all the same
}

TEST(NativeOnlyDestructor, OtherDestructorsStillRunInAProcess) {
  seen = {};
  TRTTI* c = classWithDestructor(true);
  DestroyObject(garbageWithBody(c, TValue::ofInt(7)));
  EXPECT_EQ(seen.calls, 1);
  EXPECT_EQ(seen.argument, "7");
  EXPECT_TRUE(seen.hadProcess);
}

namespace {

int extraCalls = 0;

// A string class whose destructor hands `_body` to the kernel's own `_free_body`,
// then, when `more`, also calls a counting native: new strings made while it is
// the string class reuse its garbage records.
TRTTI* stringClassWithDestructor(bool more) {
  VmWorld& w = VmWorld::get();
  TRTTI* c = w.makeClass("S" + std::to_string(++classCounter), w.objectClass, {"_body"});
  NativeHandler freeBody = nullptr;
  for (const NativeEntry& e : stringNatives())
    if (std::string_view(e.name) == "_free_body") freeBody = e.handler;
  TNativeFunction* native = w.addNative(c, "_free_body", freeBody);
  TNativeFunction* count =
      w.addNative(c, "count", [](TNativeFunction*, TValue*, int32_t, uint32_t) { ++extraCalls; });
  CodeBuilder d;
  d.pushThis().thisMemberValue(0).nativeCall(1, native).op(Op_Pop);
  if (more) d.pushThis().nativeCall(0, count).op(Op_Pop);
  d.pushThis().op(Op_Ret);
  w.addMethod(c, "destructor", d, 0, 0, {}, TFunction::Kind::Destructor);
  return c;
}

// Makes a string, lets it go and makes another, which takes the first's record;
// gives the second's text.
std::string secondString(TRTTI* stringClass) {
  ClassObject* saved = runtime().stringClass;
  runtime().stringClass = stringClass;
  TValue first = newString("first");
  retain(first);
  uint32_t firstHandle = stringBodyOf(objectOf(first))->handle();
  release(first);
  TValue second = newString("second");
  retain(second);
  EXPECT_EQ(second.ref, first.ref);
  std::string text = stringBodyOf(objectOf(second))->bytes;
  // Whether the body was taken in place or made anew, the first body's handle
  // names nothing any more.
  EXPECT_EQ(hostAs<TfString>(firstHandle), nullptr);
  release(second);
  runtime().stringClass = saved;
  return text;
}

}  // namespace

TEST(StringRecordReuse, ABodyOnlyDestructorLetsANewStringTakeTheRecordAndBodyInPlace) {
  EXPECT_EQ(secondString(stringClassWithDestructor(false)), "second");
}

TEST(StringRecordReuse, ADestructorThatDoesMoreStillRunsWhenTheRecordIsReused) {
  extraCalls = 0;
  EXPECT_EQ(secondString(stringClassWithDestructor(true)), "second");
  EXPECT_EQ(extraCalls, 1);
}
