#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "resources/resource.h"

namespace zunka {

class TRTTI;

// Makes the throw-away classes that run host snippets: each is named "eval" and a
// counter, compiled from the snippet text as its main code, and owned by the
// caller, who frees it after the run.
class TEvalCache : public TResource {
 public:
  TEvalCache() : TResource("evalcache") {}
  const char* hostClassName() const override { return "TEvalCache"; }

  // The compiled class, or nullptr when it failed or could not be compiled yet.
  TRTTI* MakeSnippetClass(std::string_view text, bool report);
  int lastResult() const { return lastResult_; }
  int classesMade() const { return counter_; }

  // A snippet class whose objects outlived the run stays alive for them: the
  // cache keeps its text so the debugger can show what they came from.
  void keep(std::string_view text, const TRTTI& cls);
  // One line per kept class that still exists, in text order: its live instance
  // count, ":", the snippet text.
  std::vector<std::string> Listing() const;

 private:
  int counter_ = 0;
  int lastResult_ = 0;
  std::vector<std::pair<std::string, uint32_t>> kept_;  // text, class handle
};

TEvalCache& evalCache();

// Compiles `text` as a snippet and runs it to its end on a fresh instance. Gives
// the process's final state (0 ran, 2 failed with a run-time error), or 1 when it
// did not compile.
int Evaluate(std::string_view text, bool report);
inline int EvaluateWithReport(std::string_view text) {
  return Evaluate(text, true);
}

}  // namespace zunka
