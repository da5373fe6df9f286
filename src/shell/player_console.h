#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/message_boxes.h"
#include "platform/text_output.h"
#include "resources/player_hosts.h"
#include "shell/host_state.h"
#include "shell/repeated_reports.h"
#include "vm/console.h"

namespace zunka {

// The player's console sink. Every call first keeps the player alive (sound,
// messages while booting, the activity indicator, the loading bar), then:
// - print output (LogError without a box) goes to standard output, one line per
//   call, in UTF-8;
// - texts for a message box go to standard error in every mode, followed by their
//   trace as "  at PATH:LINE:COLUMN" lines, and then to the box;
// - a report (text and trace) that came three times already is left out, box
//   included (RepeatedReports); finishRepeats() says how many were;
// - with a log output, every console line (Log and LogError) goes there as well.
// Bytes that are not valid Shift_JIS show as U+FFFD, never vanish.
class PlayerConsole : public ConsoleSink {
 public:
  // Reads a source file named in a trace (a system path); nothing when unreadable.
  using SourceReader = std::function<std::optional<std::string>(const std::string& path)>;

  PlayerConsole(const HostState& state, const PlayerHosts& hosts, platform::TextOutput& out,
                platform::TextOutput& err);

  void setMessageBoxes(platform::MessageBoxes* boxes) { boxes_ = boxes; }
  // `logOutput` may be the same object as the error output: lines already
  // written there are then not written twice.
  void setLogOutput(platform::TextOutput* logOutput) { log_ = logOutput; }
  void setSourceReader(SourceReader reader) { readSource_ = std::move(reader); }

  void log(std::string_view text) override;
  void logError(std::string_view text, const TTraceList& trace, bool show) override;

  // Message boxes asked for so far (errors and warnings), left-out repeats included.
  int32_t shownCount() const { return shown_; }
  // Says how many repeats of each report were left out, if any (call before the
  // outputs go).
  void finishRepeats();

  // The default source reader: the path mapped to the host, tried as given and
  // then against the base directory.
  static std::optional<std::string> readSourceFile(const std::string& baseDir,
                                                   const std::string& path);

 private:
  void keepAlive();
  void writeError(const std::string& line);  // to standard error and the log
  std::string traceLine(const TTraceEntry& entry);

  const HostState& state_;
  const PlayerHosts& hosts_;
  platform::TextOutput& out_;
  platform::TextOutput& err_;
  platform::TextOutput* log_ = nullptr;
  platform::MessageBoxes* boxes_ = nullptr;
  SourceReader readSource_;
  int32_t shown_ = 0;
  RepeatedReports repeats_;
};

}  // namespace zunka
