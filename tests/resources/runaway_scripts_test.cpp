// Scripts that try to take the player down with work or memory, on a booted
// kernel: processes that run processes without end, destructors that cannot run,
// data that keeps growing. Each case is bounded in time or in memory, and checks
// both that the player got through and that ordinary scripts are untouched.
#include <time.h>

#include "compiler/class_compiler.h"
#include "platform/files.h"
#include "resources/kernel_world.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "resources/rtti.h"
#include "shell/host_state.h"
#include "vm/arena.h"
#include "vm/process.h"
#include "vm/runtime.h"

using namespace zunka;
using namespace zunka::testing;

namespace {

// Wall-clock seconds (<chrono> does not build with the Shift_JIS literals).
double now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double secondsSince(double start) {
  return now() - start;
}

class RunawayScripts : public KernelWorldTest {
 protected:
  void TearDown() override {
    for (uint32_t handle : processes_)
      if (auto* p = vm::hostAs<vm::TProcess>(handle)) p->Destroy();
    for (vm::TValue& v : objects_) vm::release(v);
    KernelWorldTest::TearDown();
  }

  // A class compiled from `source` and entered at the root.
  TRTTI* compile(const std::string& name, const std::string& source) {
    std::string file = write("classes\\" + name + ".zunka", source);
    auto owned = MakeResource<TRTTI>(name);
    auto* cls = static_cast<TRTTI*>(owned.get());
    cls->src = file;
    resourceTree().root->Add(std::move(owned));
    EXPECT_EQ(CompileClass(*cls, source, true), 0)
        << (console.errors.empty() ? "" : console.errors[0]);
    return cls;
  }

  // A process running `method` of a new instance of `cls`, as the root process
  // of a page runs; destroyed with the test.
  vm::TProcess* process(TRTTI* cls, const std::string& method) {
    vm::TValue self = vm::TValue::ofRef(vm::vtObject, cls->NewInstance());
    vm::retain(self);
    objects_.push_back(self);
    vm::TProcess* p = vm::TProcess::Create(self, {}, method);
    processes_.push_back(p->handle());
    return p;
  }

  int globalInt(const std::string& name) { return std::atoi(global(name).c_str()); }

 private:
  std::vector<vm::TValue> objects_;
  std::vector<uint32_t> processes_;
};

// Each spawn() runs two more: a tree 160 deep, which no frame could ever finish.
constexpr const char* kSpawner =
    "extends Object;\r\n"
    "function spawn() {\r\n"
    "  var p, q;\r\n"
    "  $spawned += 1;\r\n"
    "  p = new Process(this, \"spawn\");\r\n"
    "  p.exec();\r\n"
    "  q = new Process(this, \"spawn\");\r\n"
    "  q.exec();\r\n"
    "}\r\n"
    "function frame() {\r\n"
    "  $spawned = 0;\r\n"
    "  spawn();\r\n"
    "  $frames += 1;\r\n"
    "}\r\n";

TEST_F(RunawayScripts, ProcessesRunningTwoOfThemselvesStillLetTheFrameEnd) {
  TRTTI* spawner = compile("Spawner", kSpawner);
  ASSERT_EQ(run("$frames = 0;"), 0);
  vm::TProcess* root = process(spawner, "frame");
  vm::runtime().preempted = false;
  double start = now();
  vm::Run(root, kFrameStepBudget);
  double seconds = secondsSince(start);
  // A frame's work is the shared allowance, a couple of million instructions.
  EXPECT_LT(seconds, 60.0);  // a fraction of a second optimised, seconds under ASan
  EXPECT_TRUE(vm::runtime().preempted);
  int spawned = globalInt("$spawned");
  EXPECT_GT(spawned, 1000);
  EXPECT_LT(spawned, int(vm::kWorkPerHostRun / 10));
  // The root process stopped right after the exec() that spent the allowance and
  // goes on in the next frame; the children it never got to run are dropped.
  EXPECT_FALSE(root->halted);
  EXPECT_EQ(globalInt("$frames"), 0);
  for (int frame = 0; frame < 4 && !root->halted; ++frame) vm::Run(root, kFrameStepBudget);
  EXPECT_TRUE(root->halted);
  EXPECT_EQ(globalInt("$frames"), 1);
  EXPECT_LT(secondsSince(start), 120.0);
}

// A driver running a child that never ends: each exec() gives it a full budget,
// until the frame's allowance is spent.
constexpr const char* kDriver =
    "extends Object;\r\n"
    "function busy() { while (1) { $work += 1; } }\r\n"
    "function square() { var i, s; s = 0; for (i = 0; i < 1000; i += 1) s += i; $square = s; }\r\n"
    "function drive() {\r\n"
    "  var p, c;\r\n"
    "  c = new Process(this, \"square\");\r\n"
    "  c.exec();\r\n"  // short: runs to its end within the exec(), as ever
    "  $shortHalted = c.halted();\r\n"
    "  p = new Process(this, \"busy\");\r\n"
    "  while (1) { p.exec(); $execs += 1; }\r\n"
    "}\r\n";

TEST_F(RunawayScripts, NestedRunsShareTheFramesAllowanceAndGoOnInTheNext) {
  TRTTI* driver = compile("Driver", kDriver);
  ASSERT_EQ(run("$execs = 0; $work = 0; $square = 0;"), 0);
  // A short child still runs to its end inside exec() (the sum of 0 … 999).
  vm::TProcess* root = process(driver, "drive");
  vm::Run(root, kFrameStepBudget);
  EXPECT_EQ(global("$square"), "499500");
  EXPECT_EQ(global("$shortHalted"), "1");
  // Every exec() of the endless child ran it for a whole budget, until the
  // sixteen budgets of the frame were spent; the driver stopped right after the
  // exec() that used the last of them.
  int execs = globalInt("$execs");
  EXPECT_GE(execs, 14);
  EXPECT_LE(execs, 16);
  int work = globalInt("$work");
  EXPECT_GT(work, 0);
  // The next frame has a fresh allowance: the child goes on where it stopped.
  vm::Run(root, kFrameStepBudget);
  EXPECT_GE(globalInt("$execs"), execs + 14);
  EXPECT_GT(globalInt("$work"), work + work / 2);
  EXPECT_FALSE(root->halted);
}

// Processes nested to the limit, and at the deepest level strings and processes
// made and dropped, whose garbage records are reused there: their destructors
// cannot run (the nesting limit), so their bodies must be freed without them.
constexpr const char* kDeep =
    "extends Object;\r\n"
    "function descend() {\r\n"
    "  var p, i, s, q;\r\n"
    "  p = new Process(this, \"descend\");\r\n"
    "  p.exec();\r\n"
    "  for (i = 0; i < 100; i += 1) { s = \"churn \" + i; q = new Process(this, \"idle\"); }\r\n"
    "}\r\n"
    "function idle() {}\r\n";

TEST_F(RunawayScripts, DestructorsThatCannotRunStillFreeTheBodiesTheyOwn) {
  TRTTI* deep = compile("Deep", kDeep);
  auto churn = [&] {
    vm::TProcess* root = process(deep, "descend");
    vm::Run(root, kFrameStepBudget);
    EXPECT_TRUE(root->halted);
  };
  churn();
  churn();
  int64_t strings = vm::liveCounters().tfStrings;
  int64_t processes = vm::liveCounters().processes;
  int64_t heap = int64_t(vm::Arena::heapBytes());
  churn();
  // Garbage is reused, never piled up: another round leaves as many bodies as
  // the one before (a leak would add 100 strings and 100 processes, ~1.3 KB each).
  EXPECT_LE(vm::liveCounters().tfStrings - strings, 4);
  EXPECT_LE(vm::liveCounters().processes - processes, 4);
  EXPECT_LT(int64_t(vm::Arena::heapBytes()) - heap, 16 * 1024);
}

// At the deepest level the nesting limit allows, writers made and dropped: a
// reused writer's destructor (close(), a script method) cannot run there.
constexpr const char* kDeepWriter =
    "extends Object;\r\n"
    "function descend() {\r\n"
    "  var p, i, w, level;\r\n"
    "  $level += 1;\r\n"
    "  level = $level;\r\n"
    "  p = new Process(this, \"descend\");\r\n"
    "  p.exec();\r\n"
    "  if ($level != level) return;\r\n"  // a deeper level ran: not the deepest
    "  for (i = 0; i < 3; i += 1) { w = new FileWriter(\"deep\" + i + \".txt\"); "
    "w.writeText(\"line \" + i); }\r\n"
    "}\r\n";

TEST_F(RunawayScripts, DestructorsThatCannotRunNowRunOnceTheOutermostRunIsOver) {
  platform::makeDirectory(path("game"));
  resourceTree().workDir = path("game");
  TRTTI* deep = compile("DeepWriter", kDeepWriter);
  ASSERT_EQ(run("$level = 0;"), 0);
  vm::TProcess* root = process(deep, "descend");
  vm::Run(root, kFrameStepBudget);
  EXPECT_TRUE(root->halted);
  EXPECT_GE(globalInt("$level"), vm::kMaxNestedRuns - 2);
  // The third writer took the first one's record: its destructor waited for the
  // run to end, then closed it, so the file is in place and nothing waits.
  std::string bytes;
  EXPECT_TRUE(platform::readFile(path("game\\files\\deep0.txt"), bytes));
  EXPECT_EQ(bytes, "line 0");
  EXPECT_TRUE(vm::runtime().waitingDestructors.empty());
  // The other two are plain garbage, closed when their records are next needed.
  EXPECT_FALSE(platform::fileExists(path("game\\files\\deep1.txt")));
}

TEST_F(RunawayScripts, DataPastTheHeapCapEndsTheScriptNotThePlayer) {
  uint64_t savedLimit = vm::Arena::heapLimit();
  uint64_t limit = vm::Arena::heapBytes() + (uint64_t(64) << 20);
  vm::Arena::setHeapLimit(limit);
  vm::Arena::resetPeakHeapBytes();
  double start = now();
  // One-MiB strings kept in an array, without end.
  int outcome =
      run("s = \"0123456789abcdef\";\r\n"
          "for (i = 0; i < 16; i += 1) s = s + s;\r\n"
          "$kept = new Array();\r\n"
          "while (1) $kept.add(s + $kept.size());\r\n");
  uint64_t peak = vm::Arena::peakHeapBytes();
  vm::Arena::setHeapLimit(savedLimit);
  EXPECT_LT(secondsSince(start), 30.0);
  EXPECT_EQ(outcome, 2);
  EXPECT_GE(countContaining(console.errors, "メモリが足りません"), 1);
  // The heap came up to its cap and never past it.
  EXPECT_LE(peak, limit);
  EXPECT_GT(peak, limit - (uint64_t(3) << 20));
  ASSERT_EQ(run("print($kept.size());"), 0);
  int kept = std::atoi(console.printed.back().c_str());
  EXPECT_GE(kept, 56);
  EXPECT_LE(kept, 64);
  ASSERT_EQ(run("$kept = null;"), 0);
}

}  // namespace
