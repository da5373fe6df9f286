#include "vm/console.h"

#include <cstdio>

namespace zunka {
namespace {

class StderrSink : public ConsoleSink {
 public:
  void log(std::string_view) override {}
  void logError(std::string_view text, const TTraceList&, bool show) override {
    if (show) std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
  }
};

StderrSink defaultSink;
ConsoleSink* current = &defaultSink;

}  // namespace

ConsoleSink& console() {
  return *current;
}
void setConsole(ConsoleSink* sink) {
  current = sink ? sink : &defaultSink;
}

}  // namespace zunka
