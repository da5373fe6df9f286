#include "debugger/debugger.h"

#include <algorithm>

#include "debugger/process_views.h"
#include "platform/flag_scope.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "vm/host_handles.h"
#include "vm/runtime.h"

namespace zunka::debugger {

using vm::kUnlimitedSteps;
using vm::runtime;

namespace {

constexpr const char* kStoppedCaption = "停止中";

using platform::FlagScope;

}  // namespace

Debugger::~Debugger() {
  if (!stopped_) runtime().debugStepBudget = kUnlimitedSteps;
}

void Debugger::step() {
  runTo_.reset();
  stepping_ = true;
  runtime().debugStepBudget = 1;
}

void Debugger::run() {
  runTo_.reset();
  stepping_ = false;
  runtime().debugStepBudget = watching() ? 1 : kUnlimitedSteps;
}

void Debugger::runTo(vm::Ref address) {
  runTo_ = address;
  stepping_ = false;
  runtime().debugStepBudget = 1;
}

void Debugger::stop() {
  if (stopped_ && runtime().current) runtime().current->Stop();
  stepping_ = true;
  runtime().debugStepBudget = 1;
}

void Debugger::breakNow() {
  stepping_ = true;
  if (!stopped_) runtime().debugStepBudget = 0;
}

void Debugger::detach() {
  runTo_.reset();
  stepping_ = false;
  breakpoints_.clear();
  addresses_.clear();
  runtime().debugStepBudget = kUnlimitedSteps;
}

const LineBreakpoint& Debugger::addBreakpoint(std::string_view file, int line) {
  LineBreakpoint breakpoint{std::string(file), line, 0, {}};
  resolveLine(breakpoint, resourceTree().root, sources_);
  breakpoints_.push_back(std::move(breakpoint));
  addresses_.insert(breakpoints_.back().addresses.begin(), breakpoints_.back().addresses.end());
  startWatching();
  return breakpoints_.back();
}

// A breakpoint that finds code while the game runs free (set now, or of a class
// a page has just compiled) starts the watch.
void Debugger::startWatching() {
  if (!stopped_ && !stepping_ && runtime().debugStepBudget > 1 && watching())
    runtime().debugStepBudget = 1;
}

bool Debugger::removeBreakpoint(std::string_view file, int line) {
  auto same = [&](const LineBreakpoint& b) {
    return (b.line == line || b.resolvedLine == line) && b.file == file;
  };
  auto gone = std::remove_if(breakpoints_.begin(), breakpoints_.end(), same);
  bool removed = gone != breakpoints_.end();
  breakpoints_.erase(gone, breakpoints_.end());
  resolveAll();
  return removed;
}

void Debugger::clearBreakpoints() {
  breakpoints_.clear();
  addresses_.clear();
}

// Classes are compiled again when pages load: their code moves.
void Debugger::resolveAll() {
  addresses_.clear();
  for (LineBreakpoint& b : breakpoints_) {
    resolveLine(b, resourceTree().root, sources_);
    addresses_.insert(b.addresses.begin(), b.addresses.end());
  }
}

vm::TProcess* Debugger::process() const {
  if (stopped_ && runtime().current) return runtime().current;
  return vm::hostAs<vm::TProcess>(runtime().rootProcess);
}

std::optional<SourcePlace> Debugger::place() {
  vm::TProcess* p = process();
  const vm::TCompiledInfo* code = p ? runningCode(*p) : nullptr;
  return code ? placeOf(*code, p->pc, sources_) : std::nullopt;
}

void Debugger::refreshViews() {
  sources_.clear();
  resolveAll();
  startWatching();
  if (frontEnd_) frontEnd_->viewsStale();
}

bool Debugger::reached(const vm::TProcess* p) const {
  if (!p) return false;
  return (runTo_ && p->pc == *runTo_) || addresses_.count(p->pc) > 0;
}

// The pause routine: the debug step budget ran out.
bool Debugger::pause() {
  if (!frontEnd_) {
    runtime().debugStepBudget = kUnlimitedSteps;
    return false;
  }
  if (!stepping_ && !reached(runtime().current)) {
    // Not there yet: look again after the next instruction (or, with nothing left
    // to look for, run free).
    runtime().debugStepBudget = watching() ? 1 : kUnlimitedSteps;
    return false;
  }
  {
    FlagScope halt(host_.debugHalt);  // no frame runs meanwhile
    FlagScope stopped(stopped_);
    sources_.clear();
    runtime().debugStepBudget = 0;
    caption_ = kStoppedCaption;
    frontEnd_->stopped();
    // The buttons set the budget; closing the player ends the wait with it still
    // 0, so the interrupted runs end at once and the player shuts down.
    while (runtime().debugStepBudget <= 0 && !host_.closing) frontEnd_->waitWhileStopped();
    caption_.clear();
  }
  frontEnd_->resumed();
  return true;
}

}  // namespace zunka::debugger
