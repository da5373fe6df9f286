#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zunka {

// One place in a source file: the file path and the byte offset in its text.
struct TTraceEntry {
  std::string path;
  int32_t offset = 0;
};
using TTraceList = std::vector<TTraceEntry>;

// Where every part of the system reports: `log` for console lines, `logError`
// for warnings and errors with their trace; `show` asks for a message box.
class ConsoleSink {
 public:
  virtual ~ConsoleSink() = default;
  virtual void log(std::string_view text) = 0;
  virtual void logError(std::string_view text, const TTraceList& trace, bool show) = 0;
};

// The current player's sink; until one is installed (or without a player),
// errors go to standard error and log lines nowhere.
ConsoleSink& console();
void setConsole(ConsoleSink* sink);

inline void Log(std::string_view text) {
  console().log(text);
}
inline void LogError(std::string_view text, const TTraceList& trace, bool show) {
  console().logError(text, trace, show);
}

}  // namespace zunka
