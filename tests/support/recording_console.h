#pragma once
// A console that keeps what it is told, for tests to read back.
#include <string>
#include <string_view>
#include <vector>

#include "vm/console.h"

namespace zunka::testing {

class RecordingConsole : public ConsoleSink {
 public:
  void log(std::string_view text) override { logLines.emplace_back(text); }
  void logError(std::string_view text, const TTraceList& trace, bool show) override {
    (show ? errors : printed).emplace_back(text);
    lastTrace = trace;
  }
  void clear() {
    logLines.clear();
    errors.clear();
    printed.clear();
  }
  std::vector<std::string> logLines, errors, printed;
  TTraceList lastTrace;
};

}  // namespace zunka::testing
