// Interpreter dispatch speed on a hand-built counting loop, in the fused form the
// compiler emits for `i = 0; while (i < N) i = i + 1;`, against a native loop
// doing the same work measured in the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>

#include "platform/clock.h"
#include "support/code_builder.h"
#include "vm/process.h"
#include "vm/runtime.h"

using namespace zunka;
using namespace zunka::vm;
using namespace zunka::testing;

namespace {

constexpr int32_t kIterations = 10'000'000;
constexpr int kInstructionsPerIteration = 11;

struct LoopFixture {
  TRTTI cls{"Counter"};
  TValue self;

  LoopFixture() {
    initializeRuntime();
    cls.compiled = true;
    CodeBuilder b;
    CodeBuilder::Label top, done;
    b.local(0).pushInt(0).op(Op_Subst).op(Op_Pop);
    b.bind(top).localValue(0).pushInt(kIterations).op(Op_LT).jump(Op_JumpZero, done);
    b.local(0).localValue(0).pushInt(1).op(Op_Add).op(Op_Subst).op(Op_Pop);
    b.jump(Op_Jump, top);
    b.bind(done).localValue(0).op(Op_Ret);
    auto* f = new TNormalFunction(&cls, symbols::intern("count"));
    f->locals.push_back("i");
    f->code = b.finish(&cls, {&top, &done});
    cls.AddMethod(f);
    self = TValue::ofRef(vtObject, cls.NewInstance());
    retain(self);
  }
};

LoopFixture& fixture() {
  static LoopFixture f;
  return f;
}

void runLoop() {
  TProcess* p = TProcess::Create(fixture().self, {}, "count");
  while (!p->halted) Run(p, 1 << 30);
  delete p;
}

void BM_InterpretedCountingLoop(benchmark::State& state) {
  for (auto _ : state) runLoop();
  state.counters["Minstr/s"] =
      benchmark::Counter(double(kIterations) * kInstructionsPerIteration / 1e6,
                         benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_InterpretedCountingLoop)->Unit(benchmark::kMillisecond);

void BM_NativeCountingLoop(benchmark::State& state) {
  for (auto _ : state) {
    volatile int32_t i = 0;
    while (i < kIterations) i = i + 1;
  }
}
BENCHMARK(BM_NativeCountingLoop)->Unit(benchmark::kMillisecond);

// The summary line tools read: best of a few timed runs.
void printSummary() {
  double best = 1e30, bestNative = 1e30;
  for (int i = 0; i < 5; ++i) {
    double t0 = platform::preciseMilliseconds();
    runLoop();
    double t1 = platform::preciseMilliseconds();
    volatile int32_t n = 0;
    while (n < kIterations) n = n + 1;
    double t2 = platform::preciseMilliseconds();
    best = std::min(best, (t1 - t0) / 1e3);
    bestNative = std::min(bestNative, (t2 - t1) / 1e3);
  }
  std::printf("interpreted loop %.1f ms, native loop %.1f ms, ratio %.2f\n", best * 1e3,
              bestNative * 1e3, best / bestNative);
  std::printf("dispatch %.0f Minstr/s\n",
              double(kIterations) * kInstructionsPerIteration / best / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  printSummary();
  return 0;
}
