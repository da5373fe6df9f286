#include "vm/console.h"

#include <cstdio>

#include "vm/runtime.h"

namespace zunka {
namespace {

class StderrSink : public ConsoleSink {
 public:
  void log(std::string_view) override {}
  void logError(std::string_view text, const TTraceList&, bool show) override {
    if (show) std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
  }
};

// Stateless, so one serves every player; never destroyed, so that code running
// during the process's exit still has a sink.
ConsoleSink& defaultSink() {
  static auto* sink = new StderrSink;
  return *sink;
}

}  // namespace

ConsoleSink& console() {
  vm::Machine* m = vm::detail::currentMachine;
  return m && m->console ? *m->console : defaultSink();
}
void setConsole(ConsoleSink* sink) {
  if (vm::Machine* m = vm::detail::currentMachine) m->console = sink;
}

}  // namespace zunka
