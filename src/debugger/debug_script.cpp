#include "debugger/debug_script.h"

#include <algorithm>
#include <charconv>

#include "debug/time_analyzer.h"
#include "debugger/console_eval.h"
#include "debugger/process_views.h"
#include "debugger/tool_views.h"
#include "platform/files.h"
#include "platform/sjis_text.h"
#include "vm/runtime.h"

namespace zunka::debugger {

namespace {

std::string trimmed(std::string_view text) {
  size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  size_t last = text.find_last_not_of(" \t\r");
  return std::string(text.substr(first, last - first + 1));
}

TTimeAnalyzer::Order orderNamed(const std::string& name) {
  if (name == "sum") return TTimeAnalyzer::Order::BySumTime;
  if (name == "average") return TTimeAnalyzer::Order::ByAverage;
  if (name == "passes") return TTimeAnalyzer::Order::ByPassTime;
  return TTimeAnalyzer::Order::ByNumber;
}

}  // namespace

std::optional<vm::Ref> parseAddress(std::string_view text) {
  int base = 10;
  if (!text.empty() && text[0] == '$') {
    text.remove_prefix(1);
    base = 16;
  } else if (text.starts_with("0x") || text.starts_with("0X")) {
    text.remove_prefix(2);
    base = 16;
  }
  uint32_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return vm::Ref(value);
}

DebugScript::DebugScript(Debugger& debugger, std::vector<std::string> commands,
                         platform::TextOutput& out, std::function<void()> closePlayer)
    : debugger_(debugger),
      commands_(std::move(commands)),
      out_(out),
      closePlayer_(std::move(closePlayer)) {}

std::optional<std::vector<std::string>> DebugScript::read(const std::string& hostFile) {
  std::string bytes;
  if (!platform::readFile(platform::systemPath(hostFile), bytes)) return std::nullopt;
  std::vector<std::string> commands;
  size_t start = 0;
  while (start <= bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = trimmed(std::string_view(bytes).substr(start, end - start));
    if (!line.empty() && line[0] != '#') commands.push_back(line);
    start = end + 1;
  }
  return commands;
}

void DebugScript::say(const std::string& sjis) {
  out_.writeLine(platform::sjisToUtf8(sjis));
}

void DebugScript::sayAll(const std::vector<std::string>& lines, const std::string& indent) {
  for (const std::string& line : lines) say(indent + line);
}

void DebugScript::begin() {
  while (!debugger_.host().closing && next() == Next::Stays) {
  }
}

DebugScript::Next DebugScript::next() {
  if (next_ >= commands_.size()) return Next::None;
  const std::string& line = commands_[next_++];
  out_.writeLine("> " + line);
  std::string sjis = platform::utf8ToSjis(line);
  size_t space = sjis.find(' ');
  std::string command = sjis.substr(0, space);
  std::string argument = space == std::string::npos ? "" : trimmed(sjis.substr(space + 1));
  return execute(command, argument) ? Next::Goes : Next::Stays;
}

void DebugScript::stopped() {
  if (stepsLeft_ > 0) {  // a step of several: on without a word
    --stepsLeft_;
    debugger_.step();
    return;
  }
  showPlace();
}

// The next command; when they have run out the game runs on free.
void DebugScript::waitWhileStopped() {
  if (next() == Next::None) debugger_.detach();
}

void DebugScript::showPlace() {
  std::string where = debugger_.caption().empty() ? "実行中" : debugger_.caption();
  if (std::optional<SourcePlace> place = debugger_.place()) {
    const SourceText* text = debugger_.sources().get(place->path);
    where += " " + std::string(fileNameOf(place->path)) + ":" + std::to_string(place->line) + ": " +
             (text ? trimmed(text->line(place->line)) : std::string());
  }
  say(where);
  vm::TProcess* p = debugger_.process();
  CodeListing listing = p ? currentListing(*p) : CodeListing{};
  if (listing.marked >= 0) say("=> " + listing.lines[size_t(listing.marked)]);
}

void DebugScript::showCode() {
  vm::TProcess* p = debugger_.process();
  CodeListing listing = p ? currentListing(*p) : CodeListing{};
  for (size_t i = 0; i < listing.lines.size(); ++i)
    say((int(i) == listing.marked ? "=> " : "   ") + listing.lines[i]);
}

void DebugScript::setBreakpoint(const std::string& where, bool remove) {
  size_t colon = where.rfind(':');
  int line = 0;
  if (colon != std::string::npos)
    std::from_chars(where.data() + colon + 1, where.data() + where.size(), line);
  if (colon == std::string::npos || line <= 0) {
    say("? FILE:LINE");
    return;
  }
  std::string file = where.substr(0, colon);
  if (remove) {
    say(debugger_.removeBreakpoint(file, line) ? "解除しました" : "? ブレークポイントがありません");
    return;
  }
  const LineBreakpoint& b = debugger_.addBreakpoint(file, line);
  if (b.resolvedLine == 0)
    say("? " + file + ":" + std::to_string(line) +
        "にはまだコードがありません(ページを読み込むたびに探します)");
  else
    say(file + ":" + std::to_string(b.resolvedLine) + " (" + std::to_string(b.addresses.size()) +
        "箇所)");
}

bool DebugScript::execute(const std::string& command, const std::string& argument) {
  vm::TProcess* p = debugger_.process();
  if (command == "step") {
    int count = 1;
    std::from_chars(argument.data(), argument.data() + argument.size(), count);
    stepsLeft_ = std::max(count, 1) - 1;
    debugger_.step();
    return true;
  }
  if (command == "run" || command == "continue") {
    debugger_.run();
    return true;
  }
  if (command == "runto") {
    std::optional<vm::Ref> address = parseAddress(argument);
    if (!address) {
      say("? ADDRESS");
      return false;
    }
    debugger_.runTo(*address);
    return true;
  }
  if (command == "stop") {
    debugger_.stop();
    return true;
  }
  if (command == "close") {
    closePlayer_();
    return true;
  }
  if (command == "break" || command == "delete") {
    setBreakpoint(argument, command == "delete");
  } else if (command == "breaks") {
    for (const LineBreakpoint& b : debugger_.breakpoints())
      say(b.file + ":" + std::to_string(b.line) + " -> " + std::to_string(b.resolvedLine) + " (" +
          std::to_string(b.addresses.size()) + "箇所)");
  } else if (command == "where") {
    showPlace();
  } else if (command == "code") {
    showCode();
  } else if (command == "stack") {
    if (p) sayAll(stackLines(*p));
  } else if (command == "locals") {
    if (p) sayAll(variableLines(*p));
  } else if (command == "listing") {
    size_t space = argument.find(' ');
    std::string method = space == std::string::npos ? "" : trimmed(argument.substr(space + 1));
    if (std::optional<ClassCode> code = classCode(argument.substr(0, space), method)) {
      sayAll(code->listing.lines);
      say("[シンボル情報]");
      sayAll(code->symbols);
    }
  } else if (command == "gc") {
    sayAll(collectGarbage());
  } else if (command == "tree") {
    sayAll(treePaths());
  } else if (command == "evalcache") {
    sayAll(snippetCacheLines());
  } else if (command == "time") {
    if (argument.starts_with("start")) {
      timeAnalyzer().Reset();
    } else {
      timeAnalyzer().Stop();
      size_t space = argument.find(' ');
      sayAll(
          timeTableLines(orderNamed(space == std::string::npos ? "" : argument.substr(space + 1))));
    }
  } else if (command == "eval") {
    bool frame = p && !p->released && p->hasFrame();
    vm::TValue self = frame ? *p->thisValue() : vm::TValue{};
    Evaluation e = evaluateLine(argument, self, frame ? frameValues(*p) : FrameValues{});
    say(e.ok ? "= " + (e.text.empty() ? std::string("(実行しました)") : e.text) : "! " + e.text);
  } else {
    say("? " + command);
  }
  return false;
}

}  // namespace zunka::debugger
