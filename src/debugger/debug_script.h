#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "debugger/debugger.h"
#include "platform/text_output.h"

namespace zunka::debugger {

// The debugger without a window: commands read from a file, one per line, and
// what the window would show printed instead. The commands up to the first one
// that lets the game run are carried out before the first frame; the rest each
// time the game stops. When the commands run out the game runs on free.
//
//   step [N]          N instructions (1), then stop again
//   run | continue    run on (to a line breakpoint, when one is set)
//   runto ADDRESS     run until the instruction at ADDRESS ($hex or decimal)
//   stop              stop the stopped process for good
//   break FILE:LINE   stop whenever a statement of that line is next
//   delete FILE:LINE  remove that breakpoint
//   breaks            the breakpoints and where they stop
//   where             the stopped place again
//   code              the listing of the code being run, the next instruction marked
//   stack             the value stack, then "proc.sp ="
//   locals            arguments, local variables and members of `this`
//   listing CLASS [METHOD]   a method's (or the main code's) listing and symbols
//   gc                run the collector and list what it found
//   tree              the resource tree's paths
//   evalcache         the snippet classes kept for their objects
//   time start | time stop [sum|average|passes]   the section time analyser
//   eval TEXT         evaluate a line of script for the stopped object
//   close             close the player (while stopped too)
//
// Blank lines and lines starting with # are skipped. Each command is echoed as
// "> COMMAND" before what it prints.
class DebugScript final : public FrontEnd {
 public:
  DebugScript(Debugger& debugger, std::vector<std::string> commands, platform::TextOutput& out,
              std::function<void()> closePlayer);

  // The commands of a UTF-8 text file (a host path); nothing when it cannot be read.
  static std::optional<std::vector<std::string>> read(const std::string& hostFile);

  // Carries out the commands up to the first that lets the game run.
  void begin();

  void stopped() override;
  void waitWhileStopped() override;
  void resumed() override {}

 private:
  // Carries out the next command.
  enum class Next { None, Stays, Goes };  // none left; the game stays stopped; it runs
  Next next();
  // Carries out one command (Shift_JIS); true when it lets the game run.
  bool execute(const std::string& command, const std::string& argument);
  void say(const std::string& sjis);
  void sayAll(const std::vector<std::string>& lines, const std::string& indent = "");
  void showPlace();
  void showCode();
  void setBreakpoint(const std::string& where, bool remove);

  Debugger& debugger_;
  std::vector<std::string> commands_;
  size_t next_ = 0;
  int stepsLeft_ = 0;
  platform::TextOutput& out_;
  std::function<void()> closePlayer_;
};

// The address a command or an edit box gives: "$" and hexadecimal digits, or
// decimal digits; nothing for anything else.
std::optional<vm::Ref> parseAddress(std::string_view text);

}  // namespace zunka::debugger
