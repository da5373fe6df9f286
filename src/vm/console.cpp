#include "vm/console.h"

#include <cstdio>

#include "platform/files.h"
#include "platform/sjis_text.h"
#include "vm/runtime.h"

namespace zunka {
namespace {

// Errors and warnings in UTF-8 with their trace, as the player's console writes
// them (without reading the sources for line numbers): what is reported before a
// player's console is installed or after it went reads the same.
class StderrSink : public ConsoleSink {
 public:
  void log(std::string_view) override {}
  void logError(std::string_view text, const TTraceList& trace, bool show) override {
    if (!show) return;
    std::fprintf(stderr, "%s\n", platform::sjisToUtf8(text).c_str());
    for (const TTraceEntry& entry : trace)
      std::fprintf(stderr, "  at %s (offset %d)\n", platform::hostPath(entry.path).c_str(),
                   entry.offset);
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
