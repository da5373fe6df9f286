#include <gtest/gtest.h>

#include "compile_support.h"
#include "platform/files.h"
#include "resources/resource_tree.h"
#include "resources/rtti.h"

using namespace zunka;
using namespace zunka::vm;
using namespace zunka::testing;

namespace {

const char* kParentSource =
    "extends Object;\n"
    "constructor RoundBase(n) { name = n; }\n"
    "function greet() { return \"base \" + name; }\n";

const char* kSource =
    "extends RoundBase;\n"
    "native nat;\n"
    "constructor RoundTrip(n) { super(n); count = 0; }\n"
    "function greet() { count += 1; return super.greet() + \"/\" + count; }\n"
    "function loop(k) { var i, s; s = 0; for (i = 0; i < k; i++) { if (i == 7) break; s += i; } "
    "return s; }\n"
    "$roundTotal = 0;\n"
    "r = new RoundTrip(\"x\");\n"
    "print(r.greet()); print(r.greet()); print(loop(100)); print(r is RoundBase);\n"
    "$roundTotal += 5; print($roundTotal);\n";

// A class whose source file lives in the test directory, so that its class file
// has a real source stamp.
TRTTI* classFromFile(const std::string& name, const std::string& source) {
  CompileWorld& world = CompileWorld::get();
  VmWorld& w = VmWorld::get();
  std::string path = world.dir.write(name + ".zunka", source);
  TRTTI* cls = w.makeClass(name, nullptr);
  cls->compiled = false;
  cls->src = path;
  w.console.clear();
  CompileClass(*cls, source, true);
  return cls;
}

}  // namespace

TEST(ClassFiles, AClassReadBackBehavesLikeTheFreshlyCompiledOne) {
  CompileWorld::get();
  TRTTI* base = classFromFile("RoundBase", kParentSource);
  ASSERT_TRUE(base->compiled);
  TRTTI* fresh = classFromFile("RoundTrip", kSource);
  ASSERT_TRUE(fresh->compiled);
  std::vector<std::string> expected = {"base x/1", "base x/2", "21", "1", "5"};
  EXPECT_EQ(runMain(fresh), expected);
  ASSERT_TRUE(platform::fileExists(fresh->ClassFileName()));

  // A second class resource for the same source loads the class file instead.
  VmWorld& w = VmWorld::get();
  TRTTI* again = w.makeClass("RoundTripAgain", nullptr);
  again->compiled = false;
  again->src = fresh->src;
  // Only for the source it was compiled from: the file records its digest.
  EXPECT_FALSE(again->LoadClassFile(kParentSource));
  EXPECT_TRUE(again->LoadClassFile(kSource));
  EXPECT_EQ(again->members.count(), fresh->members.count());
  EXPECT_EQ(again->methods().size(), fresh->methods().size());
  EXPECT_EQ(mainListing(again), mainListing(fresh));
  EXPECT_EQ(runMain(again), expected);
}

TEST(ClassFiles, AnEditedSourceIsCompiledAgain) {
  CompileWorld& world = CompileWorld::get();
  VmWorld& w = VmWorld::get();
  std::string path = world.dir.write("Edited.zunka", "extends Object; print(1);");
  TRTTI* first = w.makeClass("Edited", nullptr);
  first->compiled = false;
  first->src = path;
  CompileClass(*first, "extends Object; print(1);", true);
  ASSERT_TRUE(platform::fileExists(first->ClassFileName()));
  // The same source: the class file is current.
  TRTTI* same = w.makeClass("EditedSame", nullptr);
  same->compiled = false;
  same->src = path;
  EXPECT_TRUE(same->LoadClassFile("extends Object; print(1);"));
  // Edited (even within the same second): the stamp differs, the file is stale.
  world.dir.write("Edited.zunka", "extends Object; print(2);");
  TRTTI* edited = w.makeClass("EditedNew", nullptr);
  edited->compiled = false;
  edited->src = path;
  EXPECT_FALSE(edited->LoadClassFile("extends Object; print(2);"));
  CompileClass(*edited, "extends Object; print(2);", true);
  EXPECT_EQ(runMain(edited), (std::vector<std::string>{"2"}));
}
