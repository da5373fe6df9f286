// Compiling a 1,000-line class from its source against reading it back from its
// class file, in the same run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "compiler/class_compiler.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "resources/rtti.h"
#include "shell/kernel_boot.h"
#include "support/temp_dir.h"
#include "vm/console.h"

using namespace zunka;

namespace {

class QuietConsole : public ConsoleSink {
 public:
  void log(std::string_view) override {}
  void logError(std::string_view, const TTraceList&, bool) override {}
};

// About 1,000 lines: 100 functions of 9 lines and main code.
std::string thousandLines() {
  std::string s = "extends Object;\r\n";
  for (int f = 0; f < 100; ++f) {
    s += "function f" + std::to_string(f) + "(a, b) {\r\n  var i, s;\r\n  s = 0;\r\n";
    s +=
        "  for (i = 0; i < a; i += 1) {\r\n    if (i % 3 == 0) s += i * b; else s -= 1;\r\n  }\r\n";
    s += "  m" + std::to_string(f) + " = s + \"x\";\r\n  return s;\r\n}\r\n";
  }
  for (int k = 0; k < 90; ++k) s += "$total = f" + std::to_string(k) + "(10, 2) + 1;\r\n";
  return s;
}

struct World {
  QuietConsole console;
  testing::TempDir dir;
  bool compilerInstalled = (installScriptCompiler(), true);
  KernelBoot boot;
  std::string source = thousandLines();
  std::string path;
  World() {
    setConsole(&console);
    resourceTree().baseDir = platform::systemPath(ZUNKA_SOURCE_DIR);
    boot.boot();
    resourceTree().baseDir = dir.system();
    path = dir.write("Thousand.zunka", source);
  }
  // One compilation; `fromClassFile` leaves the class file of the last one in place.
  void compile(bool fromClassFile) {
    TRTTI cls("Thousand");
    cls.src = path;
    if (!fromClassFile) platform::deleteFile(cls.ClassFileName());
    CompileClass(cls, source, false);
    if (!cls.compiled) std::abort();
  }
};

World& world() {
  static World w;
  return w;
}

void BM_CompileFromSource(benchmark::State& state) {
  for (auto _ : state) world().compile(false);
}
BENCHMARK(BM_CompileFromSource)->Unit(benchmark::kMillisecond);

void BM_ReadClassFile(benchmark::State& state) {
  world().compile(false);
  for (auto _ : state) world().compile(true);
}
BENCHMARK(BM_ReadClassFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
