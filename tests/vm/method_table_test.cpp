// The method table of a class and its symbol index, as a class file builds it:
// the parent's table inherited whole, then the class's own functions overriding
// or appended one by one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/vm_world.h"

using namespace zunka;
using namespace zunka::vm;
using namespace zunka::testing;

namespace {

TFunction* native(TRTTI* cls, const std::string& name) {
  return new TNativeFunction(cls, symbols::intern(name));
}

// Every lookup agrees with a walk of the table: the first method of a name by
// symbol and index, the last as a call finds it.
void expectIndexAgreesWithTable(const ClassObject& cls, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    const std::vector<TFunction*>& table = cls.methods();
    int32_t first = -1, last = -1;
    for (size_t i = 0; i < table.size(); ++i) {
      if (table[i]->GetName() != name) continue;
      if (first < 0) first = int32_t(i);
      last = int32_t(i);
    }
    Symbol s = symbols::intern(name);
    int32_t hint = 0;
    EXPECT_EQ(cls.MethodIndexByName(name), first) << name;
    EXPECT_EQ(cls.FindMethodBySymbol(s), first < 0 ? nullptr : table[first]) << name;
    EXPECT_EQ(cls.FindMethod(s, hint), last < 0 ? nullptr : table[last]) << name;
  }
}

}  // namespace

TEST(MethodTable, InheritedOverriddenAndAppendedMethodsAreFoundAsTheTableHoldsThem) {
  VmWorld& world = VmWorld::get();
  TRTTI* base = world.makeClass("TableBase", world.objectClass);
  std::vector<std::string> names{"absent", "twice"};
  for (int i = 0; i < 5; ++i) {
    names.push_back("inherited" + std::to_string(i));
    base->AddMethod(native(base, names.back()));
  }
  // A native declared over an inherited method: two of one name.
  base->AddMethod(native(base, "twice"));
  base->AddMethod(native(base, "twice"));
  expectIndexAgreesWithTable(*base, names);

  TRTTI* derived = world.makeClass("TableDerived", base);
  ASSERT_EQ(derived->methods(), base->methods());
  expectIndexAgreesWithTable(*derived, names);
  TFunction* override = native(derived, "inherited2");
  derived->AddOrOverride(override);
  EXPECT_EQ(derived->MethodAt(2), override);
  EXPECT_EQ(base->FindMethodByName("inherited2"), base->MethodAt(2));
  TFunction* twice = native(derived, "twice");
  derived->AddOrOverride(twice);  // the first of the two goes
  int32_t hint = 0;
  EXPECT_EQ(derived->FindMethodByName("twice"), twice);
  EXPECT_EQ(derived->FindMethod(symbols::intern("twice"), hint), base->methods().back());
  expectIndexAgreesWithTable(*derived, names);
  // Enough new methods to outgrow the inherited index several times over.
  for (int i = 0; i < 40; ++i) {
    names.push_back("own" + std::to_string(i));
    derived->AddOrOverride(native(derived, names.back()));
    if (i % 7 == 0) expectIndexAgreesWithTable(*derived, names);
  }
  expectIndexAgreesWithTable(*derived, names);
  expectIndexAgreesWithTable(*base, names);
  EXPECT_EQ(derived->methods().size(), base->methods().size() + 40);
}
