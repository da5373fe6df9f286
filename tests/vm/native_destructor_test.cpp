#include <gtest/gtest.h>

#include "support/vm_world.h"
#include "vm/collector.h"
#include "vm/errors.h"
#include "vm/native_destructor.h"
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

namespace {

// Makes a string of `stringClass` holding `text` and lets it go: garbage, its
// body still there. Gives the record and the body's handle.
Ref garbageString(TRTTI* stringClass, std::string_view text, uint32_t& bodyHandle) {
  ClassObject* saved = runtime().stringClass;
  runtime().stringClass = stringClass;
  TValue s = newString(text);
  retain(s);
  bodyHandle = stringBodyOf(objectOf(s))->handle();
  release(s);
  runtime().stringClass = saved;
  return s.ref;
}

}  // namespace

TEST(StringDestructor, FreesTheBodyOfAGarbageStringAndFinishesTheRecord) {
  VmWorld& w = VmWorld::get();
  w.console.clear();
  TRTTI* c = stringClassWithDestructor(false);
  uint32_t handle = 0;
  int64_t bodiesBefore = liveCounters().tfStrings;
  Ref record = garbageString(c, "gone", handle);
  ASSERT_NE(hostAs<TfString>(handle), nullptr);
  DestroyObject(record);
  EXPECT_EQ(hostAs<TfString>(handle), nullptr);
  EXPECT_EQ(liveCounters().tfStrings, bodiesBefore);
  EXPECT_EQ(objectAt(record)->refCount, -1);
  EXPECT_TRUE(w.console.errors.empty());

  // The next body made takes the memory the last one left, and only its own handle.
  TfString* fresh = new TfString("fresh");
  EXPECT_EQ(hostAs<TfString>(handle), nullptr);
  EXPECT_EQ(hostAs<TfString>(fresh->handle()), fresh);
  EXPECT_EQ(fresh->bytes, "fresh");
  delete fresh;
}

TEST(StringDestructor, ADestructorThatDoesMoreRunsWhenGarbageIsFinished) {
  extraCalls = 0;
  TRTTI* c = stringClassWithDestructor(true);
  uint32_t handle = 0;
  Ref record = garbageString(c, "more", handle);
  EXPECT_EQ(c->FinishGarbage(), 1);
  EXPECT_EQ(extraCalls, 1);
  EXPECT_EQ(hostAs<TfString>(handle), nullptr);
  EXPECT_EQ(objectAt(record)->refCount, -1);
}

TEST(StringDestructor, AnObjectInTheBodySlotIsHandedOverThroughTheCallAsWritten) {
  VmWorld& w = VmWorld::get();
  TRTTI* c = stringClassWithDestructor(false);
  TRTTI* held = w.makeClass("H" + std::to_string(++classCounter), w.objectClass);
  TValue member = newObject(held);
  Ref record = c->NewInstance();
  assign(objectAt(record)->members()[0], &member);
  setNull(member);
  w.console.clear();
  DestroyObject(record);
  EXPECT_EQ(held->LiveCount(), 0);
  EXPECT_TRUE(w.console.logLines.empty());

  // A member naming a record finished before is counted by the hand-over as
  // ever: it comes back as garbage, whose release then fails.
  member = newObject(held);
  record = c->NewInstance();
  objectAt(record)->members()[0] = member;
  objectAt(member.ref)->refCount = 0;
  DestroyObject(member.ref);
  ASSERT_EQ(objectAt(member.ref)->refCount, -1);
  w.console.clear();
  DestroyObject(record);
  EXPECT_EQ(objectAt(member.ref)->refCount, 0);
  ASSERT_EQ(w.console.logLines.size(), 1u);
  EXPECT_EQ(w.console.logLines[0], "Decref failed at " + c->name() + "._body");
}

// At exit, garbage whose finishing would only give memory back is left: a string
// whose destructor only frees its body. A destructor that does more, or a member
// holding an object (its release may run a destructor), keeps it finished.
TEST(StringDestructor, OnlyABodyOnlyStringHoldingNoObjectIsSilentGarbage) {
  VmWorld& w = VmWorld::get();
  uint32_t handle = 0;
  TRTTI* plain = stringClassWithDestructor(false);
  Ref silent = garbageString(plain, "silent", handle);
  EXPECT_TRUE(FinishingIsSilent(silent));
  EXPECT_EQ(plain->FinishGarbage(ClassObject::Garbage::AllButSilent), 0);
  EXPECT_NE(hostAs<TfString>(handle), nullptr);
  EXPECT_EQ(objectAt(silent)->refCount, 0);
  EXPECT_EQ(plain->FinishGarbage(), 1);
  EXPECT_EQ(hostAs<TfString>(handle), nullptr);

  TRTTI* more = stringClassWithDestructor(true);
  EXPECT_FALSE(FinishingIsSilent(garbageString(more, "more", handle)));
  extraCalls = 0;
  EXPECT_EQ(more->FinishGarbage(ClassObject::Garbage::AllButSilent), 1);
  EXPECT_EQ(extraCalls, 1);

  TRTTI* held = w.makeClass("H" + std::to_string(++classCounter), w.objectClass);
  TValue member = newObject(held);
  Ref holding = plain->NewInstance();
  assign(objectAt(holding)->members()[0], &member);
  setNull(member);
  EXPECT_FALSE(FinishingIsSilent(holding));
  EXPECT_EQ(plain->FinishGarbage(ClassObject::Garbage::AllButSilent), 1);
  EXPECT_EQ(held->LiveCount(), 0);

  // Not a string's destructor at all.
  EXPECT_FALSE(FinishingIsSilent(garbageWithBody(classWithDestructor(false), TValue::ofInt(1))));
}

// The cells a native-only destructor's call would have taken leave the arena as
// they found it, so that every later block has the offset it would have had.
TEST(ArenaPassOver, LeavesTheFreeListAndCarvingAsAnAllocationAndReleaseWould) {
  int64_t blocks = Arena::liveBlocks();
  Ref first = Arena::allocate(16);
  Ref second = Arena::allocate(16);
  Arena::release(second, 16);
  Arena::release(first, 16);
  Arena::allocateAndRelease(16);
  EXPECT_EQ(Arena::liveBlocks(), blocks);
  EXPECT_EQ(Arena::allocate(16), first);
  EXPECT_EQ(Arena::allocate(16), second);

  // With the free list empty, a block is carved and waits there for the next one.
  std::vector<Ref> taken;
  uint64_t carved = Arena::bytesInUse();
  while (Arena::bytesInUse() == carved) taken.push_back(Arena::allocate(16));
  Arena::allocateAndRelease(16);
  EXPECT_EQ(Arena::bytesInUse(), carved + 32);
  EXPECT_EQ(Arena::allocate(16), Ref(carved + 16));
  Arena::release(Ref(carved + 16), 16);
  for (Ref r : taken) Arena::release(r, 16);
  Arena::release(first, 16);
  Arena::release(second, 16);
  EXPECT_EQ(Arena::liveBlocks(), blocks);
}
