#include "tree_fixture.h"

#include <algorithm>
#include <regex>

#include "vm/collector.h"
#include "vm/runtime.h"

using namespace zunka;
using namespace zunka::vm;
using namespace zunka::testing;

namespace {

// Classes in the tree (the collector sweeps only those), a cell that counts
// destructor runs, and a root process. The counter belongs to the fixture, not
// to the tree: tearing the tree down still finishes garbage records, whose
// destructors must find it alive.
class CollectorTest : public TreeTest {
 protected:
  void SetUp() override {
    TreeTest::SetUp();
    counterCell = Arena::allocate(sizeof(TValue));
    destroyed = valueAt(counterCell);
    *destroyed = TValue::ofInt(0);
    node = makeClass("Node", {"next", "other"});
    TValue rootSelf = newObject(world->object);
    runtime().rootProcess = TProcess::Create(rootSelf, {}, "")->handle();
    setNull(rootSelf);
  }
  void TearDown() override {
    delete hostAs<TProcess>(runtime().rootProcess);
    runtime().rootProcess = 0;
    TreeTest::TearDown();
    Arena::release(counterCell, sizeof(TValue));
  }

  // A compiled class under `classes` whose destructor adds 1 to the counter.
  TRTTI* makeClass(const char* name, std::initializer_list<const char*> members) {
    auto* cls = static_cast<TRTTI*>(
        world->add(*world->classes, std::string("<class name=\"") + name + "\"/>"));
    cls->parent = world->object;
    cls->InheritMethods();
    cls->InheritMembers();
    for (const char* m : members) cls->EnsureMember(m);
    CodeBuilder destructor;
    destructor.push(TValue::ofRef(vtPointer, Arena::refOf(destroyed)))
        .pushInt(1)
        .op(Op_AddSubst)
        .op(Op_Pop);
    destructor.pushThis().op(Op_Ret);
    VmWorld::get().addMethod(cls, "destructor", destructor, 0, 0, {}, TFunction::Kind::Destructor);
    cls->compiled = true;
    return cls;
  }

  TValue& member(const TValue& o, const char* name) {
    auto* cls = classOf(objectOf(o));
    return objectAt(o.ref)->members()[cls->members.find(symbols::intern(name))];
  }

  Ref counterCell = 0;
  TValue* destroyed;
  TRTTI* node;
};

}  // namespace

TEST_F(CollectorTest, ACycleNobodyHoldsIsReclaimedWithItsDestructors) {
  TValue a = newObject(node), b = newObject(node);
  assign(member(a, "next"), &b);
  assign(member(b, "next"), &a);
  Ref ra = a.ref, rb = b.ref;
  setNull(a);
  setNull(b);
  ASSERT_EQ(objectAt(ra)->refCount, 1);
  ASSERT_EQ(objectAt(rb)->refCount, 1);
  int64_t objects = liveCounters().objects;
  Collect();
  EXPECT_EQ(objectAt(ra)->refCount, -1);
  EXPECT_EQ(objectAt(rb)->refCount, -1);
  EXPECT_EQ(toText(*destroyed), "2");
  EXPECT_EQ(liveCounters().objects, objects - 2);
  EXPECT_TRUE(CollectorReport().empty());
  // Both passes sweep every class of the tree.
  EXPECT_EQ(std::count(console().logLines.begin(), console().logLines.end(), "sweeping Node"), 2);
}

TEST_F(CollectorTest, ReachableObjectsSurviveWithUntouchedCounts) {
  TValue held = newObject(node), chained = newObject(node), onStack = newObject(node);
  assign(*GlobalCell("$held"), &held);
  assign(member(held, "next"), &chained);
  setNull(chained);
  // The root process keeps a value on its stack.
  TValue* slot = valueAt(hostAs<TProcess>(runtime().rootProcess)->sp -= 8);
  *slot = onStack;
  Collect();
  for (const TValue* v : {&held, &member(held, "next"), &onStack})
    EXPECT_GT(objectOf(*v)->refCount, 0);
  EXPECT_EQ(objectOf(held)->mark, 0);
  EXPECT_EQ(toText(*destroyed), "0");
  setNull(held);
}

TEST_F(CollectorTest, ObjectsInHostContainersLiveOnlyThroughGcMark) {
  // A class holding values in a host list, with and without a gc_mark that marks them.
  TRTTI* bag = makeClass("Bag", {"items"});
  TRTTI* markedBag = makeClass("MarkedBag", {"items"});
  TNativeFunction* markItems = VmWorld::get().addNative(
      markedBag, "mark_items", [](TNativeFunction*, TValue* target, int32_t, uint32_t) {
        auto* cls = classOf(objectOf(*target));
        TValue& items = objectOf(*target)->members()[cls->members.find(symbols::intern("items"))];
        auto* list = hostAs<TValueList>(items.ref);
        for (int32_t i = 0; list && i < list->count(); ++i) MarkValue(list->at(i));
      });
  CodeBuilder gcMark;
  gcMark.pushThis().nativeCall(0, markItems).op(Op_Pop).pushThis().op(Op_Ret);
  VmWorld::get().addMethod(markedBag, "gc_mark", gcMark);

  std::vector<std::unique_ptr<TValueList>> lists;
  std::vector<Ref> contents;
  for (TRTTI* cls : {bag, markedBag}) {
    TValue holder = newObject(cls);
    assign(*GlobalCell(cls == bag ? "$bag" : "$markedBag"), &holder);
    lists.push_back(std::make_unique<TValueList>(false));
    setHost(member(holder, "items"), lists.back()->handle());
    TValue item = newObject(node);
    lists.back()->add(item);
    contents.push_back(item.ref);
    setNull(item);
    setNull(holder);
  }
  Collect();
  EXPECT_EQ(objectAt(contents[0])->refCount, -1);
  EXPECT_EQ(objectAt(contents[1])->refCount, 1);
  EXPECT_EQ(toText(*destroyed), "1");
  lists[0]->at(0) = TValue{};  // its object is gone; the list must not release it
}

TEST_F(CollectorTest, TheCheckingPassListsCountsBelowTheReferencesFound) {
  TValue shared = newObject(node);
  assign(*GlobalCell("$one"), &shared);
  assign(*GlobalCell("$two"), &shared);
  setNull(shared);
  TfObject* o = objectOf(*GlobalCell("$one"));
  ASSERT_EQ(o->refCount, 2);
  o->refCount = 1;  // one reference went uncounted
  Collect();
  ASSERT_EQ(CollectorReport().size(), 1u);
  EXPECT_EQ(CollectorReport()[0],
            node->DisplayName() + ":r=2,f=1," + std::to_string(GlobalCell("$one")->ref));
  EXPECT_EQ(o->refCount, 1);  // listed, not destroyed: it is reachable
  EXPECT_EQ(o->mark, 0);
  o->refCount = 2;
}

TEST_F(CollectorTest, WithoutARootProcessNothingHappens) {
  TValue a = newObject(node), b = newObject(node);
  assign(member(a, "next"), &b);
  assign(member(b, "next"), &a);
  Ref ra = a.ref;
  setNull(a);
  setNull(b);
  uint32_t root = runtime().rootProcess;
  runtime().rootProcess = 0;
  Collect();
  runtime().rootProcess = root;
  EXPECT_EQ(objectAt(ra)->refCount, 1);
  EXPECT_TRUE(console().logLines.empty());
  Collect();
  EXPECT_EQ(objectAt(ra)->refCount, -1);
}

TEST_F(CollectorTest, LongChainsAreMarkedWithoutDeepRecursion) {
  TValue head = newObject(node);
  assign(*GlobalCell("$head"), &head);
  TValue tail = head;
  for (int i = 0; i < 100000; ++i) {
    TValue next = newObject(node);
    assign(member(tail, "next"), &next);
    setNull(next);
    tail = member(tail, "next");
  }
  setNull(head);
  Collect();
  EXPECT_EQ(toText(*destroyed), "0");
  EXPECT_GT(objectOf(tail)->refCount, 0);
}

TEST_F(CollectorTest, ABrokenCountStopsTheReleaseOfMembers) {
  TValue a = newObject(node), b = newObject(node), c = newObject(node);
  assign(member(a, "next"), &b);
  assign(member(a, "other"), &c);
  setNull(b);
  setNull(c);
  objectOf(member(a, "next"))->refCount = 0;  // already counted out
  Ref rc = member(a, "other").ref;
  DestroyObject(a.ref);
  EXPECT_EQ(console().logLines.back(), "Decref failed at Node.next");
  EXPECT_EQ(objectAt(rc)->refCount, 1);  // left as it was
}

TEST_F(CollectorTest, StatisticsLineFormat) {
  std::regex format(
      "// GC=[0-9]+ gar=[0-9]+ resgar=[0-9]+ stk=([0-9]+) prc=([0-9]+)list=[0-9]+/[0-9]+// "
      "tfstr=[0-9]+ func=[0-9]+");
  std::smatch before;
  std::string line = Statistics();
  ASSERT_TRUE(std::regex_match(line, before, format)) << line;
  TValue self = newObject(node);
  TProcess* p = TProcess::Create(self, {}, "");
  std::string after = Statistics();
  std::smatch counts;
  ASSERT_TRUE(std::regex_match(after, counts, format));
  EXPECT_EQ(std::stoi(counts[1]), std::stoi(before[1]) + 1);
  EXPECT_EQ(std::stoi(counts[2]), std::stoi(before[2]) + 1);
  EXPECT_EQ(after.find(" func=" + std::to_string(liveCounters().functions)),
            after.size() - 6 - std::to_string(liveCounters().functions).size());
  delete p;
  setNull(self);
}
