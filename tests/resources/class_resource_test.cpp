#include "tree_fixture.h"

#include "resources/cache_files.h"
#include "resources/paths.h"
#include "vm/errors.h"

using namespace zunka;
using namespace zunka::vm;
using namespace zunka::testing;

namespace {

TRTTI* subclassOf(ClassWorld& world, TRTTI* parent, const char* name,
                  std::initializer_list<const char*> own) {
  auto* cls =
      static_cast<TRTTI*>(world.add(*world.classes, std::string("<class name=\"") + name + "\"/>"));
  cls->parent = parent;
  cls->InheritMethods();
  cls->InheritMembers();
  for (const char* m : own) cls->EnsureMember(m);
  cls->compiled = true;
  return cls;
}

}  // namespace

using ClassResourceTest = TreeTest;

TEST_F(ClassResourceTest, InheritedMembersComeFirstAndFixTheInstanceSize) {
  TRTTI* sub = subclassOf(*world, world->object, "Sub", {"z", "x"});
  ASSERT_EQ(sub->members.count(), 3);
  EXPECT_EQ(sub->members.textAt(0), "x");
  EXPECT_EQ(sub->members.textAt(2), "z");
  EXPECT_EQ(sub->instanceSize(), -1);
  TValue o = newObject(sub);
  EXPECT_EQ(sub->instanceSize(), 36);
  EXPECT_EQ(objectAt(o.ref)->members()[2].kind, vtUnset);
  EXPECT_EQ(symbols::text(objectAt(o.ref)->members()[2].ref), "z");
  EXPECT_EQ(sub->LiveCount(), 1);
  EXPECT_EQ(sub->LiveInstances(), std::vector<Ref>{o.ref});
  setNull(o);
  EXPECT_TRUE(sub->NoLiveInstances());
}

TEST_F(ClassResourceTest, OverridesTakeTheInheritedSlotAndCountHolders) {
  TRTTI* object = world->object;
  TFunction* parentDraw = object->FindMethodByName("draw");
  int32_t slot = object->IndexOfMethod(parentDraw);
  TRTTI* sub = subclassOf(*world, object, "Sub", {});
  EXPECT_EQ(parentDraw->holders(), 2);
  auto* own = new TNormalFunction(sub, symbols::intern("draw"));
  sub->AddOrOverride(own);
  EXPECT_EQ(sub->MethodAt(slot), own);
  EXPECT_EQ(object->MethodAt(slot), parentDraw);
  EXPECT_EQ(parentDraw->holders(), 1);
  EXPECT_EQ(sub->MethodIndexByName("DRAW"), slot);
  int32_t hint = 0;
  EXPECT_EQ(sub->FindMethod(symbols::intern("draw"), hint), own);
  EXPECT_EQ(hint, slot);
  EXPECT_EQ(sub->Constructor(), object->Constructor());
  EXPECT_EQ(sub->Destructor(), nullptr);
}

TEST_F(ClassResourceTest, NewInstanceReusesAnUnstoredRecordAndRefusesUncompiledClasses) {
  TRTTI* sub = subclassOf(*world, world->object, "Sub", {});
  Ref first = sub->NewInstance();
  EXPECT_EQ(sub->NewInstance(), first);
  EXPECT_EQ(sub->instancesMade(), 2);
  sub->Reset();
  EXPECT_TRUE(sub->pool().empty());
  try {
    sub->NewInstance();
    FAIL();
  } catch (const EError& e) {
    EXPECT_EQ(e.message(), "クラス" + sub->DisplayName() +
                               "はコンパイルが完了していないため、インスタンスを生成できません");
  }
  EXPECT_EQ(sub->DisplayName(), "Sub@" + std::to_string(sub->handle()));
}

TEST_F(ClassResourceTest, TwoMethodsOfOneNameAnswerByTheirOrderAndEveryChangeIsSeen) {
  // A native declared over an inherited method leaves both in the table: a call
  // (FindMethod) takes the later one, a lookup by name the earlier one.
  TRTTI* object = world->object;
  TRTTI* sub = subclassOf(*world, object, "Sub", {});
  Symbol draw = symbols::intern("draw");
  TFunction* inherited = sub->FindMethodBySymbol(draw);
  auto* native = new TNativeFunction(sub, draw);
  sub->AddMethod(native);
  int32_t hint = -1;
  EXPECT_EQ(sub->FindMethod(draw, hint), native);
  EXPECT_EQ(sub->MethodAt(hint), native);
  EXPECT_EQ(sub->FindMethodBySymbol(draw), inherited);
  EXPECT_EQ(sub->MethodIndexByName("draw"), sub->IndexOfMethod(inherited));
  // A hint left by another class's table is corrected, not trusted.
  hint = 0;
  EXPECT_EQ(sub->FindMethod(draw, hint), native);
  EXPECT_EQ(sub->FindMethod(symbols::intern("noSuchMethod"), hint), nullptr);
  EXPECT_EQ(hint, -1);

  // "No constructor" is remembered, and forgotten when one arrives.
  TRTTI* plain = subclassOf(*world, sub, "Plain", {});
  TNormalFunction* inheritedConstructor = plain->Constructor();
  auto* own = new TConstructor(plain, symbols::intern("Plain"));
  plain->AddMethod(own);
  EXPECT_EQ(plain->Constructor(), own);
  EXPECT_NE(own, inheritedConstructor);
  EXPECT_EQ(plain->Destructor(), nullptr);
  auto* destructor = new TDestructor(plain, symbols::intern("destructor"));
  plain->AddMethod(destructor);
  EXPECT_EQ(plain->Destructor(), destructor);
  plain->Reset();
  EXPECT_EQ(plain->Constructor(), nullptr);
  EXPECT_EQ(plain->FindMethodBySymbol(draw), nullptr);
}

TEST_F(ClassResourceTest, ATableOfManyMethodsFindsEachOne) {
  TRTTI* sub = subclassOf(*world, world->object, "Wide", {});
  std::vector<TFunction*> added;
  for (int i = 0; i < 300; ++i) {
    added.push_back(new TNormalFunction(sub, symbols::intern("m" + std::to_string(i))));
    sub->AddOrOverride(added.back());
  }
  for (int i = 0; i < 300; ++i) {
    int32_t hint = -1;
    ASSERT_EQ(sub->FindMethod(symbols::intern("m" + std::to_string(i)), hint), added[i]) << i;
    EXPECT_EQ(sub->MethodAt(hint), added[i]);
  }
}

TEST_F(ClassResourceTest, RegisterNativeBindsByNameOrReports) {
  TRTTI* object = world->object;
  auto handler = [](TNativeFunction*, TValue* target, int32_t, uint32_t) { setInt(*target, 5); };
  object->RegisterNative("nat", handler);
  EXPECT_EQ(static_cast<TNativeFunction*>(object->FindMethodByName("nat"))->handler, handler);
  size_t methods = object->methods().size();
  object->RegisterNative("missing", handler);
  EXPECT_EQ(object->methods().size(), methods);
  EXPECT_EQ(console().errors.back(), "クラスObjectのnative関数missingは未定義です");
}

TEST_F(ClassResourceTest, ClassTagsAndClassFileNames) {
  auto* player = static_cast<TRTTI*>(
      world->add(*world->classes,
                 "<class name=\"Player\" src=\"usr\\classes\\Player.zunka\" category=\"game\">"));
  EXPECT_EQ(player->src, world->dir.system() + "\\usr\\classes\\Player.zunka");
  std::vector<std::string> lines;
  player->WriteTag(lines, "  ", 0);
  EXPECT_EQ(lines,
            std::vector<std::string>{
                "  <class name=\"Player\" src=\"usr\\classes\\Player.zunka\" category=\"game\"/>"});
  std::string temp = world->dir.system() + "\\Temp";
  EXPECT_FALSE(platform::directoryExists(temp));
  EXPECT_EQ(player->ClassFileName(), temp + "\\c121_usrclassesPlayerzunka");
  EXPECT_FALSE(platform::directoryExists(temp));  // made by the first write
  EXPECT_TRUE(WriteCacheFile(player->ClassFileName(), "x"));
  EXPECT_TRUE(platform::directoryExists(temp));
  player->src = ParentDir(world->dir.system()) + "\\kernel\\my-class.v2.zunka";
  EXPECT_EQ(player->ClassFileName(), temp + "\\c121_@kernelmyclassv2zunka");
}

TEST_F(ClassResourceTest, SweepWritesTheClassNameAndForgetFinalisesEveryRecord) {
  TRTTI* sub = subclassOf(*world, world->object, "Swept", {"next"});
  TValue a = newObject(sub);
  TValue b = newObject(sub);
  assign(objectAt(a.ref)->members()[2], &b);
  sub->Sweep();
  EXPECT_EQ(console().logLines.back(), "sweeping Swept");
  sub->ForgetObjects();
  EXPECT_EQ(objectAt(a.ref)->refCount, -1);
  EXPECT_EQ(objectAt(b.ref)->refCount, -1);
  EXPECT_TRUE(console().logLines.back().find("Decref") == std::string::npos);
  EXPECT_TRUE(sub->NoLiveInstances());
}
