#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/vm_world.h"
#include "vm/class_object.h"
#include "vm/quick_code.h"

// A call of a method that only hands members and arguments to a plain native
// (`function get(k) { return _n_get(_h, k); }`) runs the native without the
// method's frame when the caller's code is in its quick form. Every test runs
// the same caller twice, with its quick form and with it wiped (each
// instruction as written), and asks for the same behaviour down to the
// instruction.

using namespace zunka;
using namespace zunka::vm;
using namespace zunka::testing;

namespace {

int classCounter = 0;

// How many native calls saw the forwarding method's own frame: a forwarded call
// runs its native with the caller's registers.
int callsInsideTheMethod = 0;

void noteFrame() {
  TNormalFunction* f = runtime().current ? runtime().current->currentFunction() : nullptr;
  if (f && (f->GetName() == "get" || f->GetName() == "put")) ++callsInsideTheMethod;
}

// nget(base, k): base + k; a negative k is an error.
void nativeGet(TNativeFunction*, TValue* target, int32_t argc, uint32_t) {
  noteFrame();
  if (argc < 2) return;
  if (target[-2].kind == vtInt && target[-2].i < 0)
    throw ERuntimeError("番号が負です (" + std::to_string(target[-2].i) + ")");
  setInt(*target, toInt(target[-1]) + toInt(target[-2]));
}
// nget's lookup: the same sum, declining a negative k (the handler raises) and
// k = 13 (the handler then runs and must give the same); counts its answers.
int lookupsAnswered = 0;
bool lookUpGet(const TValue&, const TValue* args, int32_t argc, TValue& result) {
  if (argc < 2 || (args[1].kind == vtInt && (args[1].i < 0 || args[1].i == 13))) return false;
  ++lookupsAnswered;
  result = TValue::ofInt(toInt(args[0]) + toInt(args[1]));
  return true;
}
// nput(base, k): leaves its target alone (the method returns `this`).
void nativePut(TNativeFunction*, TValue*, int32_t, uint32_t) {
  noteFrame();
}

void wipeQuickForm(const TNormalFunction* f) {
  uint32_t* quick = Arena::quickWords(f->code->code());
  std::fill(quick, quick + f->code->lengthBytes() / 4 + 1, 0u);
}

// A statement record at the start of each block, so that traces name a place.
void markStatement(TNormalFunction* f, int32_t sourceOffset) {
  f->code->symbols().addPoint(sourceOffset, 0);
}

struct Box {
  TRTTI* cls;
  TNativeFunction *get, *put;
  TNormalFunction* getMethod;
};

// class Box { var base; function get(k) { return nget(base, k); }
//             function put(k) { nput(base, k); } }
Box makeBox() {
  VmWorld& w = VmWorld::get();
  Box box;
  box.cls = w.makeClass("Fw" + std::to_string(++classCounter), w.objectClass, {"base"});
  box.get = w.addNative(box.cls, "nget", nativeGet);
  box.put = w.addNative(box.cls, "nput", nativePut);
  box.get->plain = box.put->plain = true;
  CodeBuilder get, put;
  get.pushThis().thisMemberValue(0).argValue(0).nativeCall(2, box.get).op(Op_Ret);
  get.pushThis().op(Op_Ret);
  put.pushThis().thisMemberValue(0).argValue(0).nativeCall(2, box.put).op(Op_Pop);
  put.pushThis().op(Op_Ret);
  box.getMethod = w.addMethod(box.cls, "get", get, 1);
  markStatement(box.getMethod, 11);
  markStatement(w.addMethod(box.cls, "put", put, 1), 22);
  return box;
}

TValue boxWithBase(const Box& box, int32_t base) {
  TValue o = newObject(box.cls);
  objectOf(o)->members()[0] = TValue::ofInt(base);
  return o;
}

struct Caller {
  TRTTI* cls;
  TNormalFunction* method;
};

// m(box, first, count): l1 = 0; for (l0 = first; l0 < first + count; l0 += 1)
// { l1 = l1 + box.get(l0); box.put(l0); } return l1;
Caller makeCaller() {
  VmWorld& w = VmWorld::get();
  TRTTI* c = w.makeClass("FwCaller" + std::to_string(++classCounter), w.objectClass);
  CodeBuilder b;
  CodeBuilder::Label top, done;
  b.local(1).pushInt(0).op(Op_Subst).op(Op_Pop);
  b.local(0).argValue(1).op(Op_Subst).op(Op_Pop);
  b.bind(top).localValue(0).argValue(1).argValue(2).op(Op_Add).op(Op_LT).jump(Op_JumpZero, done);
  b.local(1).localValue(1).argValue(0).localValue(0).dcall(1, "get").op(Op_Add);
  b.op(Op_Subst).op(Op_Pop);
  b.argValue(0).localValue(0).dcall(1, "put").op(Op_Pop);
  b.local(0).pushInt(1).op(Op_AddSubst).op(Op_Pop);
  b.jump(Op_Jump, top);
  b.bind(done).localValue(1).op(Op_Ret);
  TNormalFunction* m = w.addMethod(c, "m", b, 3, 2, {&top, &done});
  markStatement(m, 33);
  return {c, m};
}

struct Observed {
  std::string result;
  int state = 0;
  std::vector<std::string> errors;
  std::vector<std::pair<std::string, int32_t>> trace;
  int framesSeen = 0;
};

Observed runOnce(const Caller& caller, const TValue& box, int32_t first, int32_t count) {
  VmWorld& w = VmWorld::get();
  w.console.clear();
  w.console.lastTrace.clear();
  runtime().lastWarning.clear();
  callsInsideTheMethod = 0;
  Observed o;
  VmWorld::Outcome outcome =
      w.run(caller.cls, "m", {box, TValue::ofInt(first), TValue::ofInt(count)});
  o.result = outcome.result;
  o.state = outcome.state;
  o.errors = w.console.errors;
  for (const TTraceEntry& e : w.console.lastTrace) o.trace.emplace_back(e.path, e.offset);
  o.framesSeen = callsInsideTheMethod;
  return o;
}

// Where the process stands after each slice of `steps` instructions: the method,
// the offset in its code, the stack top and the frame in the stack.
using Stop = std::tuple<std::string, Ref, Ref, Ref>;
std::vector<Stop> slices(const Caller& caller, const TValue& box, int32_t steps) {
  TValue self = newObject(caller.cls);
  TProcess* p = TProcess::Create(self, {box, TValue::ofInt(0), TValue::ofInt(30)}, "m");
  setNull(self);
  std::vector<Stop> stops;
  for (int guard = 0; guard < 100000 && !p->halted && !p->released; ++guard) {
    vm::Run(p, steps);
    const TNormalFunction* f = p->currentFunction();
    Ref block = f ? f->code->code() : 0;
    stops.emplace_back(f ? f->GetName() : "", f ? p->pc - block : 0, p->sp - p->stack,
                       p->fp ? p->fp - p->stack : 0);
  }
  delete p;
  return stops;
}

}  // namespace

TEST(Forwarding, CallsGiveWhatTheWrittenCodeGivesWithoutTheMethodsFrame) {
  Box box = makeBox();
  Caller quick = makeCaller();
  Caller written = makeCaller();
  wipeQuickForm(written.method);
  TValue b = boxWithBase(box, 1000);
  Observed q = runOnce(quick, b, 0, 40);
  Observed plain = runOnce(written, b, 0, 40);
  EXPECT_EQ(plain.result, std::to_string(40 * 1000 + 39 * 40 / 2));
  EXPECT_EQ(q.result, plain.result);
  EXPECT_EQ(q.errors, plain.errors);
  EXPECT_EQ(plain.framesSeen, 80);
  EXPECT_EQ(q.framesSeen, 0);  // every call forwarded

  // A native that is not plain, or a debugger that may pause, gets the frame.
  box.get->plain = false;
  EXPECT_EQ(runOnce(quick, b, 0, 40).framesSeen, 40);
  box.get->plain = true;
  runtime().pauseRoutine = [] { return false; };
  Observed paused = runOnce(quick, b, 0, 40);
  runtime().pauseRoutine = nullptr;
  EXPECT_EQ(paused.framesSeen, 80);
  EXPECT_EQ(paused.result, plain.result);
  setNull(b);
}

TEST(Forwarding, SlicesEndOnTheSameInstructionAsTheWrittenCode) {
  // Slices shorter than, as long as and longer than a forwarded body (6 and 8
  // steps) end where the written code ends them: inside the methods too.
  Box box = makeBox();
  Caller quick = makeCaller();
  Caller written = makeCaller();
  wipeQuickForm(written.method);
  TValue b = boxWithBase(box, 3);
  for (int32_t steps : {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 13, 17, 123}) {
    SCOPED_TRACE(steps);
    EXPECT_EQ(slices(quick, b, steps), slices(written, b, steps));
  }
  setNull(b);
}

TEST(Forwarding, AFailingNativeReportsFromInsideTheMethod) {
  // The first turn calls get(-3): the error, its trace (the method's statement,
  // then the caller's) and the process's end are those of the written code.
  Box box = makeBox();
  Caller quick = makeCaller();
  Caller written = makeCaller();
  wipeQuickForm(written.method);
  TValue b = boxWithBase(box, 7);
  Observed q = runOnce(quick, b, -3, 10);
  Observed plain = runOnce(written, b, -3, 10);
  EXPECT_EQ(plain.state, 2);
  ASSERT_EQ(plain.errors.size(), 1u);
  EXPECT_NE(plain.errors[0].find("(-3)"), std::string::npos) << plain.errors[0];
  EXPECT_EQ(plain.trace.size(), 2u);
  EXPECT_EQ(q.state, plain.state);
  EXPECT_EQ(q.errors, plain.errors);
  EXPECT_EQ(q.trace, plain.trace);
  setNull(b);
}

TEST(Forwarding, AnOverridingMethodAndAChangedMethodAreCalled) {
  VmWorld& w = VmWorld::get();
  Box box = makeBox();
  Caller caller = makeCaller();
  TValue b = boxWithBase(box, 100);
  const std::string forwarded = runOnce(caller, b, 0, 10).result;
  EXPECT_EQ(forwarded, std::to_string(10 * 100 + 45));

  // A subclass whose get is its own (k * 2): the same call site, its method.
  TRTTI* sub = w.makeClass("FwSub" + std::to_string(++classCounter), box.cls);
  CodeBuilder twice;
  twice.argValue(0).pushInt(2).op(Op_Mul).op(Op_Ret);
  w.addMethod(sub, "get", twice, 1);
  TValue s = newObject(sub);
  EXPECT_EQ(runOnce(caller, s, 0, 10).result, std::to_string(2 * 45));
  EXPECT_EQ(runOnce(caller, b, 0, 10).result, forwarded);

  // The class's own get given another body: no longer a forwarding one.
  CodeBuilder thrice;
  thrice.argValue(0).pushInt(3).op(Op_Mul).op(Op_Ret);
  box.getMethod->code = thrice.finish(box.cls);
  EXPECT_EQ(box.getMethod->code->forwarding(), nullptr);
  EXPECT_EQ(runOnce(caller, b, 0, 10).result, std::to_string(3 * 45));

  // And a forwarding one again, its operands the other way round.
  CodeBuilder swapped;
  swapped.pushThis().argValue(0).thisMemberValue(0).nativeCall(2, box.get).op(Op_Ret);
  box.getMethod->code = swapped.finish(box.cls);
  Observed again = runOnce(caller, b, 0, 10);
  EXPECT_EQ(again.result, forwarded);
  EXPECT_EQ(again.framesSeen, 0);
  setNull(s);
  setNull(b);
}

TEST(Forwarding, ALookupGivesWhatTheHandlerGivesAndDeclinesToIt) {
  // With a lookup, get's native is asked without pushing anything; where it
  // declines (k = 13, negative k) the handler runs as before. Results, errors,
  // traces, slices and the counts of the objects handed over are the same.
  Box box = makeBox();
  box.get->lookup = lookUpGet;
  Caller quick = makeCaller();
  Caller written = makeCaller();
  wipeQuickForm(written.method);
  TValue b = boxWithBase(box, 500);
  const int32_t countBefore = objectOf(b)->refCount;
  lookupsAnswered = 0;
  Observed q = runOnce(quick, b, 0, 40);
  EXPECT_EQ(lookupsAnswered, 39);  // all but k = 13
  EXPECT_EQ(q.framesSeen, 0);
  lookupsAnswered = 0;
  Observed plain = runOnce(written, b, 0, 40);
  EXPECT_EQ(lookupsAnswered, 0);  // the written code runs the handler
  EXPECT_EQ(plain.result, std::to_string(40 * 500 + 39 * 40 / 2));
  EXPECT_EQ(q.result, plain.result);
  EXPECT_EQ(objectOf(b)->refCount, countBefore);

  Observed qFail = runOnce(quick, b, -3, 10);
  Observed plainFail = runOnce(written, b, -3, 10);
  EXPECT_EQ(qFail.state, 2);
  EXPECT_EQ(qFail.errors, plainFail.errors);
  EXPECT_EQ(qFail.trace, plainFail.trace);
  EXPECT_EQ(objectOf(b)->refCount, countBefore);

  for (int32_t steps : {1, 2, 3, 4, 5, 6, 7, 8, 9, 123}) {
    SCOPED_TRACE(steps);
    EXPECT_EQ(slices(quick, b, steps), slices(written, b, steps));
  }
  box.get->lookup = nullptr;
  setNull(b);
}

TEST(Forwarding, ALookupOnTemporariesLetsThemGoAsTheWrittenCodeDoes) {
  // `new Box().get(1) + held.get(new Box()) + held.get(held)`: the call's Ret
  // drops the last reference to each new box, which the lookup must leave to the
  // release that frees it, and counts `held` down twice in the last call.
  // Results, the boxes still alive, the records reused and the destructors run
  // after the garbage is finished are those of the written code.
  VmWorld& w = VmWorld::get();
  Box box = makeBox();
  box.get->lookup = lookUpGet;
  static int destroyed;
  TNativeFunction* note = w.addNative(
      box.cls, "note", [](TNativeFunction*, TValue*, int32_t, uint32_t) { ++destroyed; });
  CodeBuilder dtor;
  dtor.pushThis().nativeCall(0, note).op(Op_Pop).pushThis().op(Op_Ret);
  w.addMethod(box.cls, "destructor", dtor, 0, 0, {}, TFunction::Kind::Destructor);
  auto makeTemporaryCaller = [&] {
    TRTTI* c = w.makeClass("FwTemp" + std::to_string(++classCounter), w.objectClass);
    CodeBuilder b;
    b.pushInt(0).construct(0, box.cls).pushInt(1).dcall(1, "get");
    b.argValue(0).pushInt(0).construct(0, box.cls).dcall(1, "get").op(Op_Add);
    b.argValue(0).argValue(0).dcall(1, "get").op(Op_Add).op(Op_Ret);
    return Caller{c, w.addMethod(c, "m", b, 1)};
  };
  Caller quick = makeTemporaryCaller();
  Caller written = makeTemporaryCaller();
  wipeQuickForm(written.method);
  TValue held = boxWithBase(box, 40);
  auto runAndFinish = [&](const Caller& caller) {
    destroyed = 0;
    VmWorld::Outcome outcome = w.run(caller.cls, "m", {held});
    const int32_t alive = box.cls->LiveCount();
    // A record let go is the one the next new box takes.
    TValue next = newObject(box.cls);
    const int reused = destroyed;
    setNull(next);
    box.cls->FinishGarbage();
    return std::tuple{outcome.result, outcome.state, alive, reused, destroyed};
  };
  const auto plain = runAndFinish(written);
  EXPECT_EQ(std::get<1>(plain), 0);
  EXPECT_EQ(std::get<2>(plain), 1);  // only the held box
  EXPECT_EQ(std::get<3>(plain), 2) << "reused";
  EXPECT_EQ(std::get<4>(plain), 3) << "all";
  lookupsAnswered = 0;
  const auto q = runAndFinish(quick);
  EXPECT_EQ(std::get<3>(q), std::get<3>(plain)) << "reused";
  EXPECT_EQ(q, plain);
  EXPECT_EQ(lookupsAnswered, 3);
  EXPECT_EQ(objectOf(held)->refCount, 1);
  box.get->lookup = nullptr;
  setNull(held);
}
