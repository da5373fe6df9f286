#include "shell/player_console.h"

#include "platform/files.h"
#include "platform/host_path.h"
#include "platform/sjis_text.h"
#include "resources/paths.h"
#include "resources/project_state.h"
#include "resources/resource_tree.h"
#include "resources/source_position.h"
#include "resources/text_file.h"

namespace zunka {

PlayerConsole::PlayerConsole(const HostState& state, const PlayerHosts& hosts,
                             platform::TextOutput& out, platform::TextOutput& err)
    : state_(state), hosts_(hosts), out_(out), err_(err) {
  readSource_ = [this](const std::string& path) {
    return readSourceFile(resourceTree().baseDir, path);
  };
}

// Music keeps playing and windows keep painting while the sink is busy.
void PlayerConsole::keepAlive() {
  hosts_.sound().render();
  if (state_.booting) hosts_.windows().pumpMessages();
  hosts_.screen().drawActivityIndicator();
  hosts_.windows().tickLoadingWindow();
}

void PlayerConsole::log(std::string_view text) {
  keepAlive();
  if (log_) log_->writeLine(platform::sjisToUtf8(text));
}

void PlayerConsole::logError(std::string_view text, const TTraceList& trace, bool show) {
  keepAlive();
  if (!show) {
    std::string line = platform::sjisToUtf8(text);
    out_.writeLine(line);
    if (log_) log_->writeLine(line);
    return;
  }
  ++shown_;
  // A report left out costs no source reading: it is known by its raw trace.
  std::string key(text);
  for (const TTraceEntry& entry : trace)
    key += '\n' + entry.path + ':' + std::to_string(entry.offset);
  std::vector<std::string> summaries;
  auto describe = [&] {
    std::string line = platform::sjisToUtf8(text);
    return trace.empty() ? line : line + " " + traceLine(trace[0]).substr(2);
  };
  bool shown = repeats_.admit(key, describe, summaries);
  for (const std::string& summary : summaries) writeError(summary);
  if (!shown) return;
  std::vector<std::string> lines{platform::sjisToUtf8(text)};
  for (const TTraceEntry& entry : trace) lines.push_back(traceLine(entry));
  for (const std::string& l : lines) err_.writeLine(l);
  if (log_ && log_ != &err_)
    for (const std::string& l : lines) log_->writeLine(l);
  // A console "box" is standard error itself, which already has the text.
  if (boxes_ && !boxes_->isConsole()) boxes_->show(text, projectState().applicationTitle);
}

void PlayerConsole::finishRepeats() {
  for (const std::string& summary : repeats_.finish()) writeError(summary);
}

void PlayerConsole::writeError(const std::string& line) {
  err_.writeLine(line);
  if (log_ && log_ != &err_) log_->writeLine(line);
}

std::string PlayerConsole::traceLine(const TTraceEntry& entry) {
  // The terminal gets the host's spelling of the path, so it can be opened from there.
  std::string where = "  at " + platform::hostPath(entry.path);
  std::optional<std::string> source = readSource_ ? readSource_(entry.path) : std::nullopt;
  if (!source) return where + " (offset " + std::to_string(entry.offset) + ")";
  size_t offset = entry.offset > 0 ? static_cast<size_t>(entry.offset) : 0;
  SourcePosition at = sourcePositionAt(*source, offset);
  return where + ":" + std::to_string(at.line) + ":" + std::to_string(at.column);
}

std::optional<std::string> PlayerConsole::readSourceFile(const std::string& baseDir,
                                                         const std::string& path) {
  if (path.empty()) return std::nullopt;
  std::string bytes;
  std::string full = IsAbsolutePath(path) ? path : ResolvePath(path, baseDir);
  if (full.empty() || !platform::readFile(full, bytes, kLargestTextFile)) return std::nullopt;
  return JoinFileLines(bytes);  // trace offsets count in the form the compiler read
}

}  // namespace zunka
