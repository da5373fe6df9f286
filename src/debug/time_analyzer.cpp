#include "debug/time_analyzer.h"

#include <algorithm>

#include "platform/current_slot.h"

namespace zunka {

TTimeAnalyzer::TTimeAnalyzer(TickSource ticks) : ticks_(ticks) {}

// Section numbers outside 0..255 are ignored rather than trusted: a wrong number
// must not write outside the table.
void TTimeAnalyzer::Begin(int section) {
  if (!valid(section)) return;
  Section& s = sections_[section];
  if (s.depth == 0) s.start = ticks_();
  ++s.depth;
}

void TTimeAnalyzer::End(int section) {
  if (!valid(section)) return;
  Section& s = sections_[section];
  --s.depth;
  if (s.depth == 0) {
    // Unsigned difference: right across the tick counter's wrap.
    s.total += static_cast<int32_t>(ticks_() - s.start);
    ++s.passes;
  }
}

// A section open when the measurement starts (the debugger stopped the game
// inside a frame) stays open and is timed from now: forgetting its depth would
// leave every later pass of it uncounted, its End running one below zero.
// Depths already below zero were broken by an End without a Begin: they start
// again at zero, as does the whole measurement.
void TTimeAnalyzer::Reset() {
  uint32_t now = ticks_();
  for (Section& s : sections_) {
    int32_t depth = std::max(s.depth, 0);
    s = Section{now, 0, 0, depth};
  }
  sections_[kWholeMeasurement].depth = 0;
  Begin(kWholeMeasurement);
}

int32_t TTimeAnalyzer::passCount(int section) const {
  return valid(section) ? sections_[section].passes : 0;
}

int32_t TTimeAnalyzer::totalMilliseconds(int section) const {
  return valid(section) ? sections_[section].total : 0;
}

double TTimeAnalyzer::column(int section, int column) const {
  if (!valid(section) || sections_[section].passes <= 0) return 0;
  const Section& s = sections_[section];
  switch (column) {
    case 0:
      return section;
    case 1:
      return s.passes;
    case 2:
      return s.total;
    case 3: {
      int32_t whole = sections_[kWholeMeasurement].total;
      return whole >= 1 ? s.total * 100.0 / whole : 0;
    }
    case 4:
      return static_cast<double>(s.total) / s.passes;
    default:
      return 0;
  }
}

std::vector<int> TTimeAnalyzer::displayOrder(Order order) const {
  std::vector<int> shown;
  for (int s = 0; s < kSections; ++s)
    if (sections_[s].passes > 0) shown.push_back(s);
  int key = order == Order::BySumTime ? 2 : order == Order::ByAverage ? 4 : 1;
  // Sections with equal keys may come in any order; a stable sort keeps them by number.
  if (order != Order::ByNumber)
    std::stable_sort(shown.begin(), shown.end(),
                     [&](int a, int b) { return column(a, key) > column(b, key); });
  return shown;
}

namespace {
platform::CurrentSlot<TTimeAnalyzer> current;
}  // namespace

TTimeAnalyzer& timeAnalyzer() {
  return current.get();
}
TTimeAnalyzer* setTimeAnalyzer(TTimeAnalyzer* analyzer) {
  return current.set(analyzer);
}

}  // namespace zunka
