#include <gtest/gtest.h>

#include <algorithm>

#include "compile_support.h"
#include "vm/arena.h"
#include "vm/host_handles.h"
#include "vm/process.h"
#include "vm/quick_code.h"

// Loops as the compiler writes them, run with their superinstructions and with
// every instruction as written: a loop's step and test, a pair's result joined
// to the value below it, and arithmetic stored through a pointer (after a call's
// value too) must give the same prints, errors, traces and slice ends as the
// written code.

using namespace zunka;
using namespace zunka::vm;
using namespace zunka::testing;

namespace {

// Whether some word of the class's quick forms lies in [first, end).
bool usesQuickCodes(const TRTTI* cls, uint32_t first, uint32_t end) {
  for (const TCompiledInfo* code : blocksOf(cls)) {
    const uint32_t* quick = Arena::quickWords(code->code());
    if (std::any_of(quick, quick + code->lengthBytes() / 4,
                    [&](uint32_t w) { return w >= first && w < end; }))
      return true;
  }
  return false;
}

QuickAndWritten compileTwice(const std::string& source) {
  return compiledTwice("QuickLoop", source);
}

// What a whole run shows: prints, errors, and where the last error's trace points.
std::vector<std::string> shown(TRTTI* cls) {
  std::vector<std::string> lines = runMain(cls);
  if (!VmWorld::get().console.errors.empty())
    for (const TTraceEntry& at : VmWorld::get().console.lastTrace)
      lines.push_back("#" + std::to_string(at.offset));
  return lines;
}

// Where `pc` stands: the block's name and the offset in it.
std::string placeOf(const TRTTI* cls, Ref pc) {
  if (const TCompiledInfo* main = cls->classCode.get();
      pc >= main->code() && pc < main->code() + main->lengthBytes())
    return "main+" + std::to_string(pc - main->code());
  for (TFunction* f : cls->methods())
    if (auto* normal = dynamic_cast<TNormalFunction*>(f)) {
      const TCompiledInfo* code = normal->code.get();
      if (pc >= code->code() && pc < code->code() + code->lengthBytes())
        return f->GetName() + "+" + std::to_string(pc - code->code());
    }
  return "elsewhere";
}

// Runs the main code in slices of `steps`, suspending and resuming the process
// between them; gives where each slice stopped, then what the run printed.
std::vector<std::string> slices(TRTTI* cls, int32_t steps) {
  return runInSlices(cls, steps, [cls](const TProcess& p) {
    return placeOf(cls, p.pc) + " sp=" + std::to_string(p.sp - p.stack);
  });
}

// Counting loops in the shapes the new superinstructions take.
const char* const kLoops =
    "extends Object;\n"
    "function mix(n, k) { var i, s; s = 0;\n"
    "  for (i = 0; i < n; i += 1) s = (s + i * 7) % k;\n"
    "  return s; }\n"
    "function down(hi, lo) { var i, s; s = 0;\n"
    "  for (i = hi; i > lo; i -= 2) s = s - i * 3;\n"
    "  return s; }\n"
    "function drift(n) { var i, x, t, m; x = 0.0; t = 0; m = n;\n"
    "  for (i = 0; i < m; i += 1) { x = x + 0.75; if (x > 10.0) { x = x - 10.0; t += 1; } }\n"
    "  return t * 1000 + x; }\n"
    "function same(n) { var i, s; s = 0;\n"
    "  for (i = 0; i >= i; i += 1) { if (i > n) break; s = s + i * i; }\n"
    "  return s; }\n"
    "function walk(d) { if (d == 0) return 1; return walk(d - 1) + walk(d - 1); }\n"
    "function tri(n) { var k; k = n; if (k <= 0) return 0; k = k + tri(k - 1); return k; }\n"
    "function sq(x) { return x * x + 1; }\n"
    "function acc(n, k) { var i, s; s = 0;\n"
    "  for (i = 0; i < n; i += 1) s = (s + sq(i)) % k;\n"
    "  return s; }\n"
    "function halves(n) { var i; h = 1.0; w = 3;\n"
    "  for (i = 0; i < n; i += 1) { h = (h + sq(i)) * 0.5; w = (sq(i) - sq(2)) - w; }\n"
    "  return h * 1000 + w; }\n"
    "print(mix(50, 1000003)); print(down(40, -3)); print(drift(37)); print(same(12));\n"
    "print(walk(5)); print(tri(9)); print(acc(30, 97)); print(halves(9));\n";

}  // namespace

TEST(QuickLoops, CompiledLoopsTakeTheNewRunsAndGiveTheWrittenResults) {
  QuickAndWritten c = compileTwice(kLoops);
  EXPECT_TRUE(usesQuickCodes(c.quick, qLoopStep, qPairArithmeticBelow));
  EXPECT_TRUE(usesQuickCodes(c.quick, qPairArithmeticBelow, qAssignSourceArithmetic));
  EXPECT_TRUE(usesQuickCodes(c.quick, qAssignSourceArithmetic, qPointerAndValue));
  EXPECT_TRUE(usesQuickCodes(c.quick, qPointerAndValue, qSelfCall));
  EXPECT_TRUE(usesQuickCodes(c.quick, qSelfCall, qPushRet));
  EXPECT_TRUE(usesQuickCodes(c.quick, qPushRet, qPointerValuePairBelow));
  EXPECT_TRUE(usesQuickCodes(c.quick, qPointerValuePairBelow, qMethodCall));
  // A local's, a constant's and a member's operand after a call's value.
  for (uint32_t source : {qsLocal, qsConst, qsMember})
    EXPECT_TRUE(usesQuickCodes(c.quick, quickArithAssignSource(0, source, 0),
                               quickArithAssignSource(3, source, 3) + 1))
        << source;
  int32_t mix = 0;
  for (int32_t i = 0; i < 50; ++i) mix = (mix + i * 7) % 1000003;
  int32_t acc = 0;
  for (int32_t i = 0; i < 30; ++i) acc = (acc + i * i + 1) % 97;
  std::vector<std::string> quick = shown(c.quick);
  EXPECT_EQ(quick, shown(c.written));
  ASSERT_EQ(quick.size(), 8u);
  EXPECT_EQ(quick[0], std::to_string(mix));
  EXPECT_EQ(quick[3], "650");  // the test reads the variable the step just changed
  EXPECT_EQ(quick[4], "32");
  EXPECT_EQ(quick[5], "45");
  EXPECT_EQ(quick[6], std::to_string(acc));
}

TEST(QuickLoops, SlicesEndAndResumeWhereTheWrittenCodeDoes) {
  // Short slices stop at every place inside the runs; slices of the frame
  // budget stop inside long loops, and each resumes where the last one ended.
  QuickAndWritten c = compileTwice(kLoops);
  for (int32_t steps : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 19}) {
    SCOPED_TRACE(steps);
    EXPECT_EQ(slices(c.quick, steps), slices(c.written, steps));
  }
  QuickAndWritten longer = compileTwice(
      "extends Object;\n"
      "function mix(n, k) { var i, s; s = 0;\n"
      "  for (i = 0; i < n; i += 1) s = (s + i * 7) % k;\n"
      "  return s; }\n"
      "print(mix(100000, 1000003));\n");
  std::vector<std::string> quick = slices(longer.quick, 123456);
  EXPECT_EQ(quick, slices(longer.written, 123456));
  EXPECT_GT(quick.size(), 10u);
}

TEST(QuickLoops, FailuresInsideFusedRunsAreReportedAsWritten) {
  // Each breaks one check of a fused run partway through: a remainder by zero,
  // arithmetic on text and on null, a bound that turns into text, a loop
  // variable that turns into a real, calls on this with text as the argument
  // and without end (the stack overflows inside the fused call), and returned
  // arithmetic that the written instruction must do.
  const char* const bodies[] = {
      "var i, s, k; s = 0; k = 4;\n"
      "for (i = 0; i < 9; i += 1) { k -= 1; s = (s + i * 7) % k; }\n"
      "print(s);",
      "var i, s, w; s = 0; w = 2;\n"
      "for (i = 0; i < 9; i += 1) { if (i == 4) w = \"x\"; s = s + i * w; }\n"
      "print(s);",
      "var i, s, w, z; s = 0; w = 2;\n"
      "for (i = 0; i < 9; i += 1) { if (i == 4) w = z; s = (s - i * w) % 5; }\n"
      "print(s);",
      "var i, n; n = 9;\n"
      "for (i = 0; i < n; i += 1) { if (i == 3) n = \"abc\"; }\n"
      "print(i);",
      "var i, s; s = 0;\n"
      "for (i = 0; i < 6; i += 1) { if (i == 3) i = 3.5; s = s + i * 2; }\n"
      "print(s);",
      // A call on this whose argument is text, then one that never returns.
      "print(g(\"ab\")); print(deep(0));\n"
      "}\n"
      "function g(n) { if (n == 0) return 0; return 1 + g(n - 1); }\n"
      "function deep(n) { return deep(n + 1);",
      // Returned arithmetic on text, then a returned remainder by zero.
      "print(diff(3)); print(diff(\"q\")); print(rem(0));\n"
      "}\n"
      "function one(n) { return n; }\n"
      "function diff(n) { return one(n) - one(2); }\n"
      "function rem(n) { return one(7) % one(n);",
      // A call's value joined and stored: text partway, then a remainder by
      // zero, then an old value whose release is the written code's to make.
      "var i, s; s = 0;\n"
      "for (i = 0; i < 6; i += 1) s = (s + one(i)) % 5;\n"
      "print(s);\n"
      "}\n"
      "function one(n) { if (n == 3) return \"t\"; return n;",
      "var i, s, k; s = 0; k = 4;\n"
      "for (i = 0; i < 6; i += 1) { k -= 1; s = (s + one(i)) % k; }\n"
      "print(s);\n"
      "}\n"
      "function one(n) { return n;",
      "var i, s, t; s = 2; t = new Array();\n"
      "for (i = 0; i < 3; i += 1) t = (s * one(i)) - 1;\n"
      "print(t);\n"
      "}\n"
      "function one(n) { return n;",
  };
  for (const char* body : bodies) {
    SCOPED_TRACE(body);
    QuickAndWritten c = compileTwice(std::string("extends Object;\nfunction f() {\n") + body +
                                     "\n}\nf();\nprint(\"after\");\n");
    EXPECT_EQ(shown(c.quick), shown(c.written));
    for (int32_t steps : {3, 7}) EXPECT_EQ(slices(c.quick, steps), slices(c.written, steps));
  }
}
