#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

#include "support/vm_world.h"
#include "vm/hash_table.h"
#include "vm/value_list.h"

using namespace zunka;
using namespace zunka::vm;
using namespace zunka::testing;

namespace {

TValue str(const char* text) {
  TValue v = newString(text);
  retain(v);
  return v;
}

}  // namespace

TEST(Values, RecordSizesAreFixed) {
  EXPECT_EQ(sizeof(TValue), 8u);
  EXPECT_EQ(sizeof(TVType), 1u);
  EXPECT_EQ(sizeof(TfObject), 20u);
}

TEST(Values, FloatTextUsesFifteenSignificantDigits) {
  EXPECT_EQ(floatText(0.1f), "0.100000001490116");
  EXPECT_EQ(floatText(1.0f), "1");
  EXPECT_EQ(floatText(0.5f), "0.5");
  EXPECT_EQ(floatText(3.0f), "3");
  EXPECT_EQ(floatText(-2.5f), "-2.5");
  EXPECT_EQ(floatText(0.0f), "0");
  EXPECT_EQ(floatText(123456.0f), "123456");
  EXPECT_EQ(floatText(1e20f), "1.00000002004088E20");
  // Fixed notation up to 15 integer digits and down to 0.00001, scientific beyond.
  EXPECT_EQ(floatText(1e15f), "999999986991104");
  EXPECT_EQ(floatText(1e16f), "1.00000002725642E16");
  EXPECT_EQ(floatText(1e14f), "100000000376832");
  EXPECT_EQ(floatText(0.00001f), "9.99999974737875E-6");
  EXPECT_EQ(floatText(0.0001f), "0.0000999999974737875");
  EXPECT_EQ(floatText(-1e-7f), "-1.0000000116861E-7");
  EXPECT_EQ(floatText(0.001f), "0.00100000004749745");
  EXPECT_EQ(floatText(std::numeric_limits<float>::infinity()), "INF");
}

TEST(Values, TextFormsOfEveryKind) {
  VmWorld& w = VmWorld::get();
  EXPECT_EQ(toText(TValue{}), "null");
  EXPECT_EQ(toText(TValue::ofInt(-42)), "-42");
  TValue err;
  err.kind = vtError;
  err.i = 3;
  EXPECT_EQ(toText(err), "Error #3");
  EXPECT_EQ(toText(TValue::ofRef(vtUnset, symbols::intern("score"))), "変数score");
  TValue s = str("表ソ");
  EXPECT_EQ(toText(s), "表ソ");
  EXPECT_EQ(toLiteral(s), "\"表ソ\"");
  TRTTI* player = w.makeClass("Player", w.objectClass, {"x"});
  TValue o = newObject(player);
  EXPECT_EQ(toText(o), "Player@" + std::to_string(o.ref));
  EXPECT_EQ(toLiteral(o), "objectFromID(" + std::to_string(o.ref) + ")");
  EXPECT_EQ(toLiteral(TValue::ofRef(vtUnset, 0)), "");
  // A pointer shows its target; a host value shows the host class.
  EXPECT_EQ(toText(TValue::ofRef(vtPointer, Arena::refOf(&objectAt(o.ref)->members()[0]))),
            "[変数x]");
  EXPECT_EQ(toText(TValue::ofRef(vtHost, player->handle())), "TRTTI");
  setNull(s);
  setNull(o);
}

TEST(Values, Conversions) {
  VmWorld& w = VmWorld::get();
  EXPECT_EQ(toInt(TValue::ofFloat(-2.7f)), -2);
  EXPECT_EQ(toInt(TValue::ofFloat(2.7f)), 2);
  EXPECT_EQ(toInt(TValue{}), 0);
  EXPECT_EQ(toInt(TValue::ofFloat(std::nanf(""))), 0);
  EXPECT_EQ(toInt(TValue::ofFloat(3e9f)), int32_t(uint32_t(3000000000u)));
  TValue o = newObject(w.makeClass("ConvObj", w.objectClass));
  EXPECT_EQ(toInt(o), 1);
  EXPECT_EQ(toFloat(o), 0.0f);
  EXPECT_EQ(toFloat(TValue::ofInt(3)), 3.0f);
  EXPECT_TRUE(isTrue(o));
  EXPECT_TRUE(isTrue(TValue::ofRef(vtHost, 5)));
  EXPECT_FALSE(isTrue(TValue::ofRef(vtPointer, 8)));
  EXPECT_FALSE(isTrue(TValue::ofRef(vtUnset, 0)));
  EXPECT_FALSE(isTrue(TValue::ofFloat(0.0f)));
  EXPECT_TRUE(isTrue(TValue::ofFloat(0.1f)));
  setNull(o);
}

TEST(Values, CompareInBothOrders) {
  VmWorld& w = VmWorld::get();
  TValue seven = TValue::ofInt(7), sevenF = TValue::ofFloat(7.0f);
  TValue s7 = str("7"), sAbc = str("abc"), sAbd = str("abd"), sNull = str("null");
  EXPECT_EQ(compare(seven, sevenF), 0);
  EXPECT_EQ(compare(sevenF, seven), 0);
  EXPECT_EQ(compare(s7, seven), 0);
  EXPECT_EQ(compare(seven, s7), 1);
  EXPECT_EQ(compare(sAbc, sAbd), 1);
  EXPECT_EQ(compare(sAbd, sAbc), 1);
  EXPECT_EQ(compare(sNull, TValue{}), 0);
  EXPECT_EQ(compare(TValue{}, TValue::ofRef(vtUnset, 0)), 0);
  EXPECT_EQ(compare(TValue::ofRef(vtUnset, 0), TValue::ofInt(0)), 1);
  EXPECT_LT(compare(TValue::ofInt(2), TValue::ofFloat(2.5f)), 0);
  // The ends of the integer range keep their order.
  EXPECT_GT(compare(TValue::ofInt(5), TValue::ofInt(std::numeric_limits<int32_t>::min())), 0);
  EXPECT_LT(compare(TValue::ofInt(std::numeric_limits<int32_t>::min()), TValue::ofInt(1)), 0);
  TRTTI* c = w.makeClass("CmpObj", w.objectClass);
  TValue a = newObject(c), b = newObject(c);
  EXPECT_EQ(compare(a, a), 0);
  EXPECT_EQ(compare(a, b), 1);
  EXPECT_EQ(compare(TValue::ofRef(vtHost, 3), TValue::ofRef(vtHost, 3)), 1);
  // A string equals another record with its text, and anything whose text it is.
  TValue otherAbc = str("abc"), aText = str(("CmpObj@" + std::to_string(a.ref)).c_str());
  EXPECT_EQ(compare(sAbc, otherAbc), 0);
  EXPECT_EQ(compare(aText, a), 0);
  EXPECT_EQ(compare(a, aText), 1);
  for (TValue* v : {&s7, &sAbc, &sAbd, &sNull, &a, &b, &otherAbc, &aText}) setNull(*v);
}

TEST(Values, ReleasingOnceTooOftenIsAnError) {
  VmWorld& w = VmWorld::get();
  TValue o = newObject(w.makeClass("OverRelease", w.objectClass));
  TValue copy = o;
  release(copy);  // count back to 0
  try {
    release(o);
    FAIL() << "expected an error";
  } catch (const EError& e) {
    std::string m = e.message();
    EXPECT_EQ(m.substr(m.size() - std::string(":参照カウントが負になりました").size()),
              ":参照カウントが負になりました");
  }
  // A value naming no object at all is an internal fault with its own message.
  TValue forged = TValue::ofRef(vtObject, 12345);
  try {
    release(forged);
    FAIL();
  } catch (const EError& e) {
    EXPECT_NE(std::string(e.message()).find(":どうやってきたの？"), std::string::npos);
  }
}

TEST(Values, QuietReleasesFailWhereReleaseOrSaySaysWhyAndChangeTheSame) {
  // Tables and lists freed at exit, after the records they name, release their
  // values quietly: the counts must end as releaseOrSay leaves them.
  VmWorld& w = VmWorld::get();
  TRTTI* cls = w.makeClass("QuietRelease", w.objectClass);
  TValue a = newObject(cls), b = newObject(cls);
  retain(a);
  retain(b);
  TValue copyA = a, copyB = b;
  EXPECT_TRUE(releaseQuietly(copyA));
  std::string error;
  EXPECT_TRUE(releaseOrSay(copyB, error));
  EXPECT_EQ(objectOf(a)->refCount, objectOf(b)->refCount);
  for (int i = 0; i < 2; ++i) {  // the second time, once too often
    copyA = a;
    copyB = b;
    error.clear();
    EXPECT_EQ(releaseQuietly(copyA), releaseOrSay(copyB, error));
    EXPECT_EQ(objectOf(a)->refCount, objectOf(b)->refCount);
  }
  EXPECT_FALSE(error.empty());
  TValue forged = TValue::ofRef(vtObject, 12345);
  EXPECT_FALSE(releaseQuietly(forged));

  // A table and a list whose values went first are freed without an exception
  // out of the table; the list reports its first failure only.
  TValue key = newObject(cls), value = newObject(cls);
  auto* table = new TAbstractHashtable(false);
  table->put(key, value);
  TValueList list;
  list.add(key);
  list.add(value);
  objectOf(key)->refCount = 0;
  objectOf(value)->refCount = 0;
  EXPECT_NO_THROW(delete table);
  try {
    list.clear();
    FAIL() << "expected the list's error";
  } catch (const EError& e) {
    EXPECT_NE(std::string(e.message()).find(toText(key)), std::string::npos) << e.message();
  }
  EXPECT_EQ(list.count(), 0);
}

TEST(Symbols, CaseInsensitiveWithFirstSpellingKept) {
  EXPECT_EQ(symbols::text(symbols::kBody), "_body");
  EXPECT_EQ(symbols::text(symbols::kGcMark), "gc_mark");
  EXPECT_EQ(symbols::text(symbols::kGenerator), "_generator");
  EXPECT_EQ(symbols::text(symbols::kErrorHook), "_errorHook");
  Symbol a = symbols::intern("HitPoint");
  EXPECT_EQ(symbols::intern("hitpoint"), a);
  EXPECT_EQ(symbols::intern("HITPOINT"), a);
  EXPECT_EQ(symbols::text(a), "HitPoint");
  EXPECT_EQ(symbols::intern("_ERRORHOOK"), symbols::kErrorHook);
  // The second byte of a double-byte character is not a letter: ア (83 41) and
  // ダ (83 61) differ although 41/61 are A/a.
  EXPECT_NE(symbols::intern("ア"), symbols::intern("ダ"));
  EXPECT_EQ(symbols::intern("ア_X"), symbols::intern("ア_x"));
  EXPECT_EQ(symbols::lookup("never-interned-name"), -1);
}

TEST(Symbols, NumbersAndSpellingsHoldPastTheRoomMadeAtStart) {
  // Far more names than a start interns: the table grows and every name keeps
  // its number, its first spelling and its case-folded look-up.
  uint32_t before = symbols::count();
  std::vector<Symbol> made;
  // Interning a known name again, in any case, takes no number.
  for (int i = 0; i < 3000; ++i) {
    made.push_back(symbols::intern("Grown_" + std::to_string(i)));
    EXPECT_EQ(symbols::intern("GROWN_" + std::to_string(i)), made.back());
  }
  EXPECT_EQ(symbols::count(), before + 3000);
  for (int i = 0; i < 3000; ++i) {
    EXPECT_EQ(made[size_t(i)], before + uint32_t(i));
    EXPECT_EQ(symbols::text(made[size_t(i)]), "Grown_" + std::to_string(i));
    EXPECT_EQ(symbols::lookup("GROWN_" + std::to_string(i)), int64_t(made[size_t(i)]));
  }
}

TEST(Handles, StaleForgedAndMistypedHandlesFindNothing) {
  auto* list = new TValueList();
  uint32_t h = list->handle();
  EXPECT_EQ(hostAs<TValueList>(h), list);
  EXPECT_EQ(hostAs<TfString>(h), nullptr);  // wrong family
  delete list;
  EXPECT_EQ(hostAs<TValueList>(h), nullptr);  // stale
  EXPECT_EQ(HostHandles::find(0), nullptr);
  EXPECT_EQ(HostHandles::find(0xFFFFFFFFu), nullptr);
  EXPECT_EQ(HostHandles::find(123456789u), nullptr);
  // Slot 0 and slots never used, under every generation (0 included), with and
  // without a family; a live object's slot under every other generation.
  constexpr uint32_t kGenerations = 1u << (32 - HostHandles::kIndexBits);
  auto* live = new TValueList();
  const uint32_t liveIndex = live->handle() & HostHandles::kIndexMask;
  for (uint32_t generation = 0; generation < kGenerations; ++generation) {
    for (uint32_t index : {0u, HostHandles::kIndexMask, HostHandles::kIndexMask - 1}) {
      const uint32_t forged = generation << HostHandles::kIndexBits | index;
      EXPECT_EQ(HostHandles::find(forged), nullptr) << forged;
      EXPECT_EQ(hostAs<TValueList>(forged), nullptr) << forged;
    }
    const uint32_t forged = generation << HostHandles::kIndexBits | liveIndex;
    if (forged != live->handle()) {
      EXPECT_EQ(HostHandles::find(forged), nullptr) << forged;
    }
  }
  delete live;
  // Handles are not reused at once, so a new object does not answer to the old number.
  auto* other = new TValueList();
  EXPECT_NE(other->handle(), h);
  EXPECT_EQ(hostAs<TValueList>(h), nullptr);
  delete other;
}

// Freed slots wait in a queue and are taken oldest first once enough wait: after
// thousands of frees in a scattered order, the slots come back in that order and
// no stale handle finds a new object.
TEST(Handles, FreedSlotsComeBackOldestFirstUnderNewGenerations) {
  constexpr uint32_t kIndexMask = HostHandles::kIndexMask;
  std::vector<TValueList*> lists;
  for (int i = 0; i < 3000; ++i) lists.push_back(new TValueList());
  std::vector<uint32_t> stale;
  for (size_t i = 0; i < lists.size(); ++i) {
    TValueList*& l = lists[(i * 7919) % lists.size()];  // 7919 is prime: a permutation
    stale.push_back(l->handle());
    delete l;
    l = nullptr;
  }
  std::vector<uint32_t> freedOrder;
  for (uint32_t h : stale) freedOrder.push_back(h & kIndexMask);
  std::vector<TValueList*> fresh;
  std::vector<uint32_t> reused;
  std::set<uint32_t> mine(freedOrder.begin(), freedOrder.end());
  for (int i = 0; i < 6000; ++i) {
    fresh.push_back(new TValueList());
    uint32_t index = fresh.back()->handle() & kIndexMask;
    if (mine.count(index)) reused.push_back(index);
  }
  ASSERT_GE(reused.size(), 1000u);
  EXPECT_TRUE(std::equal(reused.begin(), reused.end(), freedOrder.begin()));
  for (uint32_t h : stale) EXPECT_EQ(HostHandles::find(h), nullptr);
  for (TValueList* l : fresh) EXPECT_EQ(hostAs<TValueList>(l->handle()), l);
  for (TValueList* l : fresh) delete l;
}

// A string that takes a garbage record's body renews the body's handle: the slot
// goes to the back of the queue and the one that waited longest is taken, exactly
// as deleting the body and making another would, and the live count stays.
TEST(Handles, ARenewedHandleTakesTheOldestFreeSlotAndQueuesItsOwn) {
  constexpr uint32_t kIndexMask = HostHandles::kIndexMask;
  TfString body("renewed");
  std::vector<TValueList*> lists;
  for (int i = 0; i < 2000; ++i) lists.push_back(new TValueList());
  std::vector<uint32_t> freedOrder;
  for (TValueList* l : lists) {
    freedOrder.push_back(l->handle() & kIndexMask);
    delete l;
  }
  std::set<uint32_t> mine(freedOrder.begin(), freedOrder.end());
  const size_t live = HostHandles::liveCount();
  std::vector<uint32_t> reused, stale;
  // Slots freed before (by other tests) are taken first.
  int renewals = 0;
  for (; renewals < 100000 && reused.size() < freedOrder.size(); ++renewals) {
    stale.push_back(body.handle());
    body.renewHandle();
    uint32_t index = body.handle() & kIndexMask;
    if (mine.count(index)) reused.push_back(index);
  }
  // As many again: the body's own old slots come back, under new generations.
  for (int i = 0; i < renewals; ++i) {
    stale.push_back(body.handle());
    body.renewHandle();
  }
  EXPECT_EQ(HostHandles::liveCount(), live);
  // The slots freed come back in the order they were freed.
  EXPECT_EQ(reused, freedOrder);
  for (uint32_t h : stale) EXPECT_EQ(HostHandles::find(h), nullptr);
  EXPECT_EQ(hostAs<TfString>(body.handle()), &body);
}

TEST(Objects, PoolsReuseRecordsThatNobodyHolds) {
  VmWorld& w = VmWorld::get();
  TRTTI* c = w.makeClass("Pooled", w.objectClass, {"a", "b"});
  std::vector<TValue> first;
  for (int i = 0; i < 10; ++i) first.push_back(newObject(c));
  std::vector<Ref> records;
  for (TValue& v : first) records.push_back(v.ref);
  for (TValue& v : first) setNull(v);
  std::vector<TValue> second;
  for (int i = 0; i < 10; ++i) second.push_back(newObject(c));
  for (int i = 0; i < 10; ++i) EXPECT_EQ(second[i].ref, records[i]);
  EXPECT_EQ(c->pool().size(), 10u);
  // Unassigned members carry their own names.
  TfObject* o = objectAt(second[0].ref);
  EXPECT_EQ(o->members()[1].kind, vtUnset);
  EXPECT_EQ(toText(o->members()[1]), "変数b");
  EXPECT_EQ(compare(o->members()[0], TValue{}), 0);
  EXPECT_EQ(c->instanceSize(), 2 * 8 + 12);
  for (TValue& v : second) setNull(v);
  // A record handed out but not stored is still free: the next one is the same.
  Ref r1 = c->NewInstance();
  Ref r2 = c->NewInstance();
  EXPECT_EQ(r1, r2);
}

TEST(Objects, UncompiledClassCannotBeInstantiated) {
  TRTTI c("Draft");
  try {
    c.NewInstance();
    FAIL();
  } catch (const EError& e) {
    EXPECT_EQ(e.message(), "クラスDraft@" + std::to_string(c.handle()) +
                               "はコンパイルが完了していないため、インスタンスを生成できません");
  }
}

TEST(Objects, MemberLayoutAndOverrides) {
  VmWorld& w = VmWorld::get();
  TRTTI* base = w.makeClass("Shape", w.objectClass, {"x", "y"});
  CodeBuilder drawBase, drawSub;
  drawBase.pushInt(1).op(Op_Ret);
  drawSub.pushInt(2).op(Op_Ret);
  w.addMethod(base, "draw", drawBase);
  TRTTI* sub = w.makeClass("Circle", base, {"z"});
  EXPECT_EQ(sub->members.count(), 3);
  EXPECT_EQ(sub->members.textAt(2), "z");
  int32_t before = sub->MethodIndexByName("draw");
  w.addMethod(sub, "draw", drawSub);
  EXPECT_EQ(sub->MethodIndexByName("draw"), before);
  EXPECT_NE(sub->MethodAt(before), base->MethodAt(base->MethodIndexByName("draw")));
  TValue o = newObject(sub);
  EXPECT_EQ(sub->instanceSize(), 36);
  setNull(o);
}
