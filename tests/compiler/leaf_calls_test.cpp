#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "compile_support.h"
#include "vm/arena.h"
#include "vm/host_handles.h"
#include "vm/process.h"

// A call (a quick DCall, or an SCall of a method of `this`) of a method whose
// body is `return ARG op CONST;` or `return ARG op ARG;` works the value out
// without the method's frame. Each case runs the caller
// with its quick form and with it wiped (every instruction as written) and asks
// for the same prints, errors, traces and slice ends.

using namespace zunka;
using namespace zunka::vm;
using namespace zunka::testing;

namespace {

int counter = 0;

// The methods called: every arithmetic the body may hold, and a remainder by 0.
std::string leafClass() {
  const std::string name = "LeafTarget" + std::to_string(++counter);
  compiled(name,
           "extends Object;\n"
           "function plus(i) { return i + 5; }\n"
           "function minus(i) { return i - 5; }\n"
           "function times(i) { return i * -3; }\n"
           "function rem(i) { return i % 7; }\n"
           "function none(i) { return i % 0; }\n"
           "function second(i, j) { return j + 1; }\n"
           "function diff(i, j) { return j - i; }\n"
           "function mod(i, j) { return i % j; }\n");
  return name;
}

QuickAndWritten callerTwice(const std::string& body) {
  return compiledTwice("LeafCaller",
                       "extends Object;\nfunction run() {\n" + body + "\n}\nrun();\n");
}

std::vector<std::string> shown(TRTTI* cls) {
  std::vector<std::string> lines = runMain(cls);
  if (!VmWorld::get().console.errors.empty())
    for (const TTraceEntry& at : VmWorld::get().console.lastTrace)
      lines.push_back((at.path.starts_with("LeafCaller") ? "caller" : at.path) + "#" +
                      std::to_string(at.offset));
  return lines;
}

// Where each slice of `steps` ended (the stack top), then the prints.
std::vector<std::string> slices(TRTTI* cls, int32_t steps) {
  return runInSlices(cls, steps, [](const TProcess& p) { return std::to_string(p.sp - p.stack); });
}

}  // namespace

TEST(LeafCalls, GiveWhatTheWrittenCodeGives) {
  const std::string leaf = leafClass();
  QuickAndWritten c =
      callerTwice("var a, i, s; a = new " + leaf +
                  "(); s = 0;\n"
                  "for (i = -20; i < 20; i += 1)\n"
                  "  s = s + a.plus(i) * 1000 + a.minus(i) * 100 + a.times(i) + a.rem(i);\n"
                  "print(s); print(a.plus(2147483647)); print(a.times(1073741824));\n"
                  "print(a.second(1, 2)); print(a.second(1));");
  const std::vector<std::string> quick = shown(c.quick);
  EXPECT_EQ(quick, shown(c.written));
  int64_t s = 0;
  for (int32_t i = -20; i < 20; ++i) s += (i + 5) * 1000 + (i - 5) * 100 + i * -3 + i % 7;
  ASSERT_GE(quick.size(), 5u);
  EXPECT_EQ(quick[0], std::to_string(s));
  EXPECT_EQ(quick[1], std::to_string(INT32_MIN + 4));  // wraps, as Add does
  EXPECT_EQ(quick[3], "3");
}

TEST(LeafCalls, OperandsTheWrittenCodeMustSeeAreLeftToIt) {
  // A real, text, an object and null as the argument, a `this` that only the
  // call holds, and a remainder by 0 (an error inside the method: its trace).
  const std::string leaf = leafClass();
  const std::string make = "a = new " + leaf + "();\n";
  for (const char* call : {"print(a.plus(2.5));", "print(a.plus(\"x\"));", "print(a.plus(a));",
                           "print(a.plus(n));", "print(fresh().plus(1));", "print(a.none(3));"}) {
    SCOPED_TRACE(call);
    QuickAndWritten c = callerTwice("var a, n; " + make + call +
                                    "\n}\nfunction fresh() { return new " + leaf + "();");
    EXPECT_EQ(shown(c.quick), shown(c.written));
  }
}

// Two arguments, and calls of the caller's own methods (SCall), whose frames are
// left out the same way.
TEST(LeafCalls, TwoArgumentsAndOwnMethodsGiveWhatTheWrittenCodeGives) {
  const std::string leaf = leafClass();
  const std::string own =
      "\n}\nfunction add(x, y) { return x + y; }\nfunction sub(x, y) { return y - x; }\n"
      "function twice(x) { return x * 2; }\nfunction fresh() { return new " +
      leaf + "();";
  QuickAndWritten c =
      callerTwice("var a, i, s; a = new " + leaf +
                  "(); s = 0;\n"
                  "for (i = -20; i < 20; i += 1)\n"
                  "  s = s + a.diff(i, 3) * 1000 + a.mod(i, 6) + add(s, i) % 5 + sub(i, 2) "
                  "+ twice(i);\n"
                  "print(s); print(add(2147483647, 1)); print(a.diff(1)); print(sub(1));"
                  "print(a.mod(5, 0)); print(add(1.5, 1)); print(add(\"x\", 1));"
                  "print(sub(a, 1)); print(fresh().diff(1, 2));" +
                  own);
  const std::vector<std::string> quick = shown(c.quick);
  EXPECT_EQ(quick, shown(c.written));
  int64_t s = 0;
  for (int32_t i = -20; i < 20; ++i) {
    int32_t before = int32_t(s);
    s = s + (3 - i) * 1000 + i % 6 + (before + i) % 5 + (2 - i) + i * 2;
  }
  ASSERT_GE(quick.size(), 2u);
  EXPECT_EQ(quick[0], std::to_string(s));
  EXPECT_EQ(quick[1], std::to_string(INT32_MIN));
  for (int32_t steps : {1, 2, 3, 4, 5, 6, 7, 9, 13, 123456}) {
    SCOPED_TRACE(steps);
    EXPECT_EQ(slices(c.quick, steps), slices(c.written, steps));
  }
}

TEST(LeafCalls, SlicesEndWhereTheWrittenCodeEndsThem) {
  const std::string leaf = leafClass();
  QuickAndWritten c = callerTwice("var a, i, s; a = new " + leaf +
                                  "(); s = 0;\n"
                                  "for (i = 0; i < 30; i += 1) s = s + a.plus(i) + a.rem(i);\n"
                                  "print(s);");
  for (int32_t steps : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 17, 123456}) {
    SCOPED_TRACE(steps);
    EXPECT_EQ(slices(c.quick, steps), slices(c.written, steps));
  }
}

// PushThis and two plain arguments (constants, locals, the caller's own
// arguments) before an SCall of two are one step of the quick form, whether the
// method called is a leaf or builds its frame, and whatever the arguments hold.
TEST(LeafCalls, OwnCallsOfTwoPlainArgumentsGiveWhatTheWrittenCodeGives) {
  const std::string own =
      "\n}\nfunction add(x, y) { return x + y; }\n"
      "function minus(x, y) { return x - y; }\n"
      "function both(x, y) { var t; t = x * 2 - y; return t - 1; }\n"
      "function viaArguments(p, q) { return minus(p, q) * 10 + both(q, 3) + minus(p, 7) + "
      "both(4, q);";
  QuickAndWritten c = callerTwice(
      "var i, s, o; s = 0; o = new Object();\n"
      "for (i = -20; i < 20; i += 1)\n"
      "  s = s + viaArguments(i, s % 11) + both(i, s % 3) + minus(5, i);\n"
      "print(s); print(add(o, 1)); print(both(\"ab\", i)); print(add(i, o));" +
      own);
  const std::vector<std::string> quick = shown(c.quick);
  EXPECT_EQ(quick, shown(c.written));
  int32_t s = 0;
  for (int32_t i = -20; i < 20; ++i) {
    const int32_t q = s % 11, r = s % 3;
    s = s + ((i - q) * 10 + (q * 2 - 3 - 1) + (i - 7) + (8 - q - 1)) + (i * 2 - r - 1) + (5 - i);
  }
  ASSERT_FALSE(quick.empty());
  EXPECT_EQ(quick[0], std::to_string(s));
  for (int32_t steps : {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 13, 123456}) {
    SCOPED_TRACE(steps);
    EXPECT_EQ(slices(c.quick, steps), slices(c.written, steps));
  }
}

// `a.m(b)` with the object and its argument in locals pushes both in one step of
// the quick form before the call: leaf, frame-building and failing calls alike.
TEST(LeafCalls, CallsOnAnObjectAndArgumentInLocalsGiveWhatTheWrittenCodeGives) {
  const std::string leaf = leafClass();
  const std::string own = "\n}\nfunction twice(x) { var t; t = x * 2; return t;";
  QuickAndWritten c = callerTwice("var a, i, s, k, n; a = new " + leaf +
                                  "(); s = 0;\n"
                                  "for (i = -20; i < 20; i += 1) { k = i * 3; s = s + a.plus(k) + "
                                  "a.rem(i) + twice(i); }\n"
                                  "k = a; print(s); print(a.plus(k)); print(n.plus(i));" +
                                  own);
  const std::vector<std::string> quick = shown(c.quick);
  EXPECT_EQ(quick, shown(c.written));
  int64_t s = 0;
  for (int32_t i = -20; i < 20; ++i) s += (i * 3 + 5) + i % 7 + i * 2;
  ASSERT_FALSE(quick.empty());
  EXPECT_EQ(quick[0], std::to_string(s));
  for (int32_t steps : {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 13, 123456}) {
    SCOPED_TRACE(steps);
    EXPECT_EQ(slices(c.quick, steps), slices(c.written, steps));
  }
}
