// Parsing cost of the script grammar: a deeply nested expression (where plain
// backtracking doubles its work per level) and a long class source, each with
// the memoised parser and with plain backtracking as the baseline.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "compiler/script_grammar.h"

namespace {

using zunka::ParseMode;

zunka::TYup& engine() {
  static std::unique_ptr<zunka::TYup> yup = [] {
    auto made = zunka::makeScriptYup();
    made->build();
    return made;
  }();
  return *yup;
}

// x = g((f(1, g((f(1, ... y ...)))))); with `depth` calls, each also
// parenthesised every other level.
std::string nestedExpression(int depth) {
  std::string source = "x = ";
  for (int i = 0; i < depth; ++i) source += i % 2 ? "f(1, " : "g((";
  source += "y";
  for (int i = 0; i < depth; ++i) source += i % 2 ? ")" : "))";
  return source + ";\n";
}

// A class of `lines` lines: functions of ten lines mixing the common statements.
std::string classSource(int lines) {
  std::string source = "extends classes.lang.Object;\n";
  int written = 1;
  for (int n = 0; written + 10 <= lines; ++n, written += 10) {
    std::string f = "f" + std::to_string(n);
    source += "function " + f +
              "(a, b) {\n"
              "  var i, sum;  // locals\n"
              "  sum = a.items.get(b).value * 2 + (b - 1) / 3;\n"
              "  for (i = 0; i < sum; i += 1) { this.draw(i, \"text\", 1.5); }\n"
              "  if (sum > 10 && !a.done || b == null) sum -= 1; else sum = -sum;\n"
              "  for (i in a.list) if (i is classes.game.Char) i.die();\n"
              "  while (sum > 0) { sum--; if (sum % 7 == 0) break; }\n"
              "  $last = new classes.lang.Array(sum, a, b);\n"
              "  return sum;\n"
              "}\n";
  }
  for (; written < lines; ++written) source += "x = x + 1;\n";
  return source;
}

void parseOnce(benchmark::State& state, const std::string& source, ParseMode mode) {
  zunka::TYup& yup = engine();
  yup.setParseMode(mode);
  for (auto _ : state) {
    std::unique_ptr<zunka::TLexList> tokens = yup.tokenize(source);
    tokens->removeTokensOf("COMM");
    zunka::ParseTree tree = yup.parse(*tokens);
    if (!tree) state.SkipWithError("source did not parse");
    benchmark::DoNotOptimize(tree.root());
  }
  yup.setParseMode(ParseMode::kMemoized);
}

void BM_NestedExpressionMemoized(benchmark::State& state) {
  parseOnce(state, nestedExpression(static_cast<int>(state.range(0))), ParseMode::kMemoized);
}
BENCHMARK(BM_NestedExpressionMemoized)->Arg(10)->Arg(16)->Arg(30)->Unit(benchmark::kMicrosecond);

void BM_NestedExpressionPlain(benchmark::State& state) {
  parseOnce(state, nestedExpression(static_cast<int>(state.range(0))),
            ParseMode::kPlainBacktracking);
}
BENCHMARK(BM_NestedExpressionPlain)->Arg(10)->Arg(16)->Unit(benchmark::kMicrosecond);

void BM_ClassSource5000LinesMemoized(benchmark::State& state) {
  parseOnce(state, classSource(5000), ParseMode::kMemoized);
}
BENCHMARK(BM_ClassSource5000LinesMemoized)->Unit(benchmark::kMillisecond);

void BM_ClassSource5000LinesPlain(benchmark::State& state) {
  parseOnce(state, classSource(5000), ParseMode::kPlainBacktracking);
}
BENCHMARK(BM_ClassSource5000LinesPlain)->Unit(benchmark::kMillisecond);

void BM_Tokenize5000Lines(benchmark::State& state) {
  std::string source = classSource(5000);
  for (auto _ : state) benchmark::DoNotOptimize(engine().tokenize(source));
}
BENCHMARK(BM_Tokenize5000Lines)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
