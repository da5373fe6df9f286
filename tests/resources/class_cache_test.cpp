// Class files with the script compiler: what a class restored from its class file
// counts as in the initialisation passes.
#include "resources/kernel_world.h"

#include "resources/resource_editing.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "resources/rtti.h"
#include "resources/tag_dispatch.h"
#include "vm/errors.h"

using namespace zunka;
using namespace zunka::testing;

namespace {

using ClassCacheTest = KernelWorldTest;

TRTTI* classAt(std::string_view path) {
  return dynamic_cast<TRTTI*>(resourceTree().root->Find(path));
}

}  // namespace

TEST_F(ClassCacheTest, AClassRestoredFromItsClassFileAfterAFailureIsNoLongerFailed) {
  write("B.zunka", "extends Object;\r\n");
  write("A.zunka", "extends Object;\r\nfunction make() { return new B(); }\r\n");
  resourceTree().root->Add(
      ParseResourceText("<resourcelist name=\"t\"><class name=\"B\" src=\"B.zunka\"/>"
                        "<class name=\"A\" src=\"A.zunka\"/></resourcelist>"));
  TResource* list = resourceTree().root->Find("t");
  ASSERT_NO_THROW(list->Initialize());  // both compiled, their class files written
  TRTTI* a = classAt("t.A");

  // Without B, A compiles neither from its class file nor from its source.
  RemoveAt("t.B");
  a->Reset();
  EXPECT_THROW(list->Initialize(), EError);
  EXPECT_TRUE(a->failed);

  // B is back: A's class file serves again, and A counts as compiled.
  list->Add(ParseResourceText("<class name=\"B\" src=\"B.zunka\"/>"));
  console.clear();
  EXPECT_NO_THROW(list->Initialize());
  EXPECT_TRUE(a->compiled);
  EXPECT_FALSE(a->failed);
  EXPECT_EQ(countContaining(console.logLines, "not a valid Class File"), 0);
}
