#pragma once
#include <array>
#include <cstdint>
#include <vector>

namespace zunka {

// A section profiler: code brackets numbered sections with Begin and End, and the
// analyser counts passes and milliseconds per section. Sections are a fixed array,
// so profiling allocates nothing and costs a tick-count read per call.
class TTimeAnalyzer {
 public:
  static constexpr int kSections = 256;
  static constexpr int kColumns = 5;
  // Section 0 is the whole measurement, from Reset to Stop.
  static constexpr int kWholeMeasurement = 0;

  // Orders of the result table; each sort puts the largest value first.
  enum class Order { ByNumber, BySumTime, ByAverage, ByPassTime };

  using TickSource = uint32_t (*)();
  explicit TTimeAnalyzer(TickSource ticks);

  // Only the outermost Begin/End pair of a section is timed and counted, so
  // recursive or re-entered code is not counted twice.
  void Begin(int section);
  void End(int section);
  // Clears every section and starts the whole measurement.
  void Reset();
  // Ends the whole measurement.
  void Stop() { End(kWholeMeasurement); }

  int32_t passCount(int section) const;
  int32_t totalMilliseconds(int section) const;
  // Column values of the result table: number, passes, total ms, share of the
  // whole measurement in percent, average ms per pass (all 0 for a section
  // never passed).
  double column(int section, int column) const;
  // The sections passed at least once, in the given order.
  std::vector<int> displayOrder(Order order) const;

 private:
  struct Section {
    uint32_t start = 0;
    int32_t passes = 0;
    int32_t total = 0;
    int32_t depth = 0;
  };
  static bool valid(int section) { return section >= 0 && section < kSections; }
  TickSource ticks_;
  std::array<Section, kSections> sections_{};
};

// The current player's analyser, which the frame loop, page loading and the
// compiler bracket their sections with.
TTimeAnalyzer& timeAnalyzer();
// Makes `analyzer` the current one; gives the one it replaces.
TTimeAnalyzer* setTimeAnalyzer(TTimeAnalyzer* analyzer);

// Begin on construction, End on destruction: a section left by an exception is
// still closed, so its nesting depth stays right for the next pass.
class TimeSection {
 public:
  explicit TimeSection(int section, TTimeAnalyzer& analyzer = timeAnalyzer())
      : analyzer_(analyzer), section_(section) {
    analyzer_.Begin(section_);
  }
  ~TimeSection() { analyzer_.End(section_); }
  TimeSection(const TimeSection&) = delete;
  TimeSection& operator=(const TimeSection&) = delete;

 private:
  TTimeAnalyzer& analyzer_;
  int section_;
};

}  // namespace zunka
