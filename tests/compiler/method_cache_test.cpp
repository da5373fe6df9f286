#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "compile_support.h"
#include "vm/arena.h"
#include "vm/host_handles.h"
#include "vm/method_cache.h"
#include "vm/process.h"

// Call sites over objects of many classes find their methods through the
// method cache (vm/method_cache.h). Whatever the cache holds, each call must
// reach the method the class's table names at that moment: after a method is
// given another body, taken away with its class's code, or overridden by a
// subclass, and slices must end on the instructions they always did.

using namespace zunka;
using namespace zunka::vm;
using namespace zunka::testing;

namespace {

int counter = 0;

std::string unique(const std::string& stem) {
  return stem + std::to_string(++counter);
}

// `count` classes (four or more), class k answering value(i) with i * 3 + k;
// but the last of them inherits from the first and overrides its method, and
// the one before it inherits the second's without overriding it. Gives their
// names.
std::vector<std::string> valueClasses(int count) {
  std::vector<std::string> names;
  for (int k = 0; k < count; ++k) {
    const std::string name = unique("McValue");
    const std::string answer = "function value(i) { return i * 3 + " + std::to_string(k) + "; }\n";
    if (k == count - 2)
      compiled(name, "extends " + names[1] + ";\n");
    else if (k == count - 1)
      compiled(name, "extends " + names[0] + ";\n" + answer);
    else
      compiled(name, "extends Object;\n" + answer);
    names.push_back(name);
  }
  return names;
}

// One call site, `pick(i % n).value(i)`, over an object of each class in turn.
std::string callerSource(const std::vector<std::string>& classes, int turns) {
  std::string picks, makes;
  for (size_t k = 0; k < classes.size(); ++k) {
    const std::string member = "o" + std::to_string(k);
    picks += "  if (k == " + std::to_string(k) + ") return " + member + ";\n";
    makes += member + " = new " + classes[k] + "();\n";
  }
  return "extends Object;\nfunction pick(k) {\n" + picks + "  return o0; }\n" +
         "function run(n) { var i, s; s = 0;\n"
         "  for (i = 0; i < n; i += 1) s = s + pick(i % " +
         std::to_string(classes.size()) + ").value(i);\n  return s; }\n" + makes + "print(run(" +
         std::to_string(turns) + "));\n";
}

// The sum run(turns) gives when class k answers i * 3 + k (the last two as
// described by valueClasses).
int64_t expectedSum(int classes, int turns) {
  int64_t s = 0;
  for (int i = 0; i < turns; ++i) {
    int k = i % classes;
    int answer = k == classes - 2 ? 1 : k;
    s += i * 3 + answer;
  }
  return s;
}

// Runs the main code in slices of `steps`; gives the process's stack top after
// each, then the prints. With `cold`, every slice starts with nothing cached.
std::vector<std::string> slices(TRTTI* cls, int32_t steps, bool cold) {
  return runInSlices(
      cls, steps,
      [](const TProcess& p) { return std::to_string(p.pc) + ":" + std::to_string(p.sp - p.stack); },
      [cold] {
        if (cold) MethodCache::methodsChanged();
      });
}

}  // namespace

TEST(MethodCache, ACallSiteOverManyClassesCallsEachClasssOwnMethod) {
  // Forty classes, more than a call site would keep for itself, with a
  // subclass overriding its parent's method and one inheriting it.
  for (int classes : {4, 9, 40}) {
    SCOPED_TRACE(classes);
    const std::vector<std::string> names = valueClasses(classes);
    const std::string source = callerSource(names, 1000);
    TRTTI* quick = compiled(unique("McCaller"), source);
    TRTTI* written = compiled(unique("McCaller"), source);
    wipeQuickForms(written);
    const std::vector<std::string> lines = runMain(quick);
    EXPECT_EQ(lines, std::vector<std::string>{std::to_string(expectedSum(classes, 1000))});
    EXPECT_EQ(runMain(written), lines);
  }
}

TEST(MethodCache, ChangedAndRemovedMethodsAreSeenAtTheNextCall) {
  const std::string name = unique("McChanging");
  TRTTI* target = compiled(name, "extends Object;\nfunction value(i) { return i + 1; }\n");
  TRTTI* caller = compiled(unique("McCaller"),
                           "extends Object;\nfunction run() { var i, s; s = 0;\n"
                           "  for (i = 0; i < 5; i += 1) s = s + o.value(i);\n"
                           "  return s; }\no = new " +
                               name + "();\nprint(run());\n");
  EXPECT_EQ(runMain(caller), std::vector<std::string>{"15"});

  // The method given another body in its class's table.
  CompileClass(*target, "extends Object;\nfunction value(i) { return i * 10; }\n", true);
  ASSERT_TRUE(target->compiled);
  EXPECT_EQ(runMain(caller), std::vector<std::string>{"100"});

  // The class compiled again without it: the call warns, as it always did.
  CompileClass(*target, "extends Object;\nfunction other(i) { return i; }\n", true);
  ASSERT_TRUE(target->compiled);
  const std::vector<std::string> lines = runMain(caller);
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
    return line.find("メソッドvalueは定義されていません") != std::string::npos;
  })) << ::testing::PrintToString(lines);

  // And back: the next call finds the new method.
  CompileClass(*target, "extends Object;\nfunction value(i) { return i - 1; }\n", true);
  EXPECT_EQ(runMain(caller), std::vector<std::string>{"5"});
}

TEST(MethodCache, SlicesEndWhereTheyDoWithNothingCached) {
  const std::string source = callerSource(valueClasses(5), 300);
  TRTTI* quick = compiled(unique("McCaller"), source);
  TRTTI* written = compiled(unique("McCaller"), source);
  wipeQuickForms(written);
  for (int32_t steps : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 17, 123456}) {
    SCOPED_TRACE(steps);
    const std::vector<std::string> cached = slices(quick, steps, false);
    EXPECT_EQ(cached, slices(quick, steps, true));
    EXPECT_EQ(slices(written, steps, false), slices(written, steps, true));
    EXPECT_EQ(cached.back(), std::to_string(expectedSum(5, 300)));
  }
}

TEST(MethodCache, TwoCallsSharingAnEntryTakeTurnsInIt) {
  // A class whose methods `first` and some `pN` land in one entry of the
  // cache: calls of the two in turn push each other out, and each must still
  // reach its own method.
  const std::string name = unique("McShared");
  TRTTI* target = compiled(name, "extends Object;\nfunction first(i) { return i + 1; }\n");
  std::string other;
  for (int n = 0; other.empty() && n < 100000; ++n) {
    const std::string candidate = "p" + std::to_string(n);
    if (&MethodCache::slotFor(target->handle(), symbols::intern(candidate)) ==
        &MethodCache::slotFor(target->handle(), symbols::intern("first")))
      other = candidate;
  }
  ASSERT_FALSE(other.empty());
  CompileClass(*target,
               "extends Object;\nfunction first(i) { return i + 1; }\nfunction " + other +
                   "(i) { return i * 100; }\n",
               true);
  TRTTI* caller =
      compiled(unique("McCaller"),
               "extends Object;\nfunction run() { var i, s; s = 0;\n"
               "  for (i = 0; i < 6; i += 1)\n"
               "    s = s + o.first(i) + o." +
                   other + "(i);\n  return s; }\no = new " + name + "();\nprint(run());\n");
  EXPECT_EQ(runMain(caller), std::vector<std::string>{std::to_string(21 + 1500)});
}
