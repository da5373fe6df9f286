#include "compiler/snippets.h"

#include <algorithm>
#include <memory>

#include "compiler/class_compiler.h"
#include "compiler/compiler_state.h"
#include "debug/time_analyzer.h"
#include "platform/files.h"
#include "resources/rtti.h"
#include "vm/host_handles.h"
#include "vm/process.h"
#include "vm/runtime.h"
#include "vm/script_calls.h"

namespace zunka {

using namespace vm;

TEvalCache& evalCache() {
  std::unique_ptr<TEvalCache>& cache = compilerState().evalCache;
  if (!cache) cache = std::make_unique<TEvalCache>();
  return *cache;
}

TRTTI* TEvalCache::MakeSnippetClass(std::string_view text, bool report) {
  auto cls = std::make_unique<TRTTI>("eval" + std::to_string(counter_++));
  lastResult_ = CompileClass(*cls, text, report);
  if (lastResult_ != 0 || !cls->compiled) return nullptr;
  return cls.release();
}

void TEvalCache::keep(std::string_view text, const TRTTI& cls) {
  kept_.emplace_back(std::string(text), cls.handle());
}

std::vector<std::string> TEvalCache::Listing() const {
  std::vector<std::pair<std::string, uint32_t>> sorted = kept_;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> lines;
  for (const auto& [text, handle] : sorted)
    if (TRTTI* cls = TRTTI::FromClassHandle(handle))
      lines.push_back(std::to_string(cls->LiveCount()) + ":" + text);
  return lines;
}

namespace {

constexpr int kSnippetSection = 70;     // a whole snippet evaluation
constexpr int kSnippetRunSection = 72;  // its run

int runToEnd(TRTTI* cls) {
  TValue self = TValue::ofRef(vtObject, cls->NewInstance());
  retain(self);
  RunOutcome outcome = RunUntilHalted(TProcess::Create(self, {}, ""), kHostScriptRuns);
  release(outcome.result);
  release(self);
  return outcome.state;
}

}  // namespace

int Evaluate(std::string_view text, bool report) {
  TimeSection whole(kSnippetSection);
  std::unique_ptr<TRTTI> cls(evalCache().MakeSnippetClass(text, report));
  if (!cls) return 1;
  int state;
  {
    TimeSection run(kSnippetRunSection);
    state = runToEnd(cls.get());
  }
  // Objects of the snippet class that outlive the run (stored somewhere by the
  // snippet) keep the class alive rather than pointing at a freed one.
  if (!cls->NoLiveInstances()) {
    evalCache().keep(text, *cls);
    cls.release();
  }
  return state;
}

}  // namespace zunka
