// String records of the booted kernel: garbage strings are taken for new ones in
// place, with nothing a script can tell apart from finishing the old string and
// making a new one.
#include "resources/kernel_world.h"
#include "vm/arena.h"
#include "vm/host_handles.h"
#include "vm/runtime.h"
#include "vm/tfstring.h"

using namespace zunka;
using namespace zunka::testing;

namespace {

using StringRecords = KernelWorldTest;

uint32_t bodyHandle(const vm::TValue& s) {
  vm::TfString* body = vm::stringBodyOf(vm::objectOf(s));
  return body ? body->handle() : 0;
}

TEST_F(StringRecords, AGarbageStringTakesTheNewBytesAndItsOldBodyHandleFindsNothing) {
  vm::TValue first = vm::newString("first");
  vm::retain(first);
  uint32_t oldHandle = bodyHandle(first);
  ASSERT_NE(oldHandle, 0u);
  int64_t strings = vm::liveCounters().tfStrings;
  uint64_t heapBytes = vm::Arena::heapBytes();
  vm::release(first);  // garbage now: its record is the next one a new string takes

  vm::TValue second = vm::newString("a longer second string");
  vm::retain(second);
  EXPECT_EQ(second.ref, first.ref);
  EXPECT_EQ(vm::stringBodyOf(vm::objectOf(second))->bytes, "a longer second string");
  EXPECT_NE(bodyHandle(second), oldHandle);
  EXPECT_EQ(vm::hostAs<vm::TfString>(oldHandle), nullptr);
  // As many bodies as before, the heap charged for the new bytes instead of the old.
  EXPECT_EQ(vm::liveCounters().tfStrings, strings);
  EXPECT_EQ(vm::Arena::heapBytes(), heapBytes - 5 + 22);
  vm::release(second);

  vm::TValue third = vm::newString("3");
  vm::retain(third);
  EXPECT_EQ(vm::Arena::heapBytes(), heapBytes - 5 + 1);
  vm::release(third);
}

TEST_F(StringRecords, ScriptsSeeFreshStringsWhateverRecordTheyTake) {
  ASSERT_EQ(run("n = 0;\r\n"
                "for (i = 0; i < 500; i += 1) {\r\n"
                "  s = \"item\" + i + \",\";\r\n"
                "  if (i == 250) t = s;\r\n"
                "  n = n + s.length();\r\n"
                "}\r\n"
                "$n = n; $t = t; $tLength = t.length();\r\n"),
            0);
  // "item" + each number + "," : 6 bytes for 0-9, 7 for 10-99, 8 for 100-499.
  EXPECT_EQ(global("$n"), std::to_string(10 * 6 + 90 * 7 + 400 * 8));
  EXPECT_EQ(global("$t"), "item250,");
  EXPECT_EQ(global("$tLength"), "8");
}

TEST_F(StringRecords, ConcatenationNeverChangesAStringSomethingElseHolds) {
  ASSERT_EQ(run("a = \"abc\";\r\n"
                "b = a + \"d\";\r\n"  // a is held by its variable: a new string
                "t = b;\r\n"
                "b = b + \"e\" + 1 + 2.5 + null;\r\n"
                "u = \"x\" + \"y\";\r\n"
                "v = u + u;\r\n"
                "$all = a + \"|\" + t + \"|\" + b + \"|\" + u + \"|\" + v;\r\n"),
            0);
  EXPECT_EQ(global("$all"), "abc|abcd|abcde12.5|xy|xyxy");
}

TEST_F(StringRecords, StringsBuiltAndDroppedGiveTheirHeapBack) {
  ASSERT_EQ(run("s = \"warm\" + 1;"), 0);
  uint64_t heap = vm::Arena::heapBytes();
  ASSERT_EQ(run("for (i = 0; i < 2000; i += 1) { s = \"item\" + i + \",\" + i * 2; }\r\n"
                "s = null;"),
            0);
  // The script's own code and the last snippet's class make the difference, not
  // the strings: a few KB at most, where 2,000 kept strings would be far more.
  EXPECT_LT(int64_t(vm::Arena::heapBytes()) - int64_t(heap), 8 * 1024);
}

}  // namespace
