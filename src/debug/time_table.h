#pragma once
#include <string>

#include "debug/time_analyzer.h"

namespace zunka {

// The analyser's results as a text table with the result window's columns
// ("No.", passes, total ms, %, average ms), one row per section passed, in
// `order`. Shift_JIS text, lines ending in '\n'.
std::string formatTimeTable(const TTimeAnalyzer& analyzer, TTimeAnalyzer::Order order);

// A column value as the table shows it: the shortest decimal text that reads
// back as the same number (12.5, 3, 33.333333333333336).
std::string timeValueText(double value);

}  // namespace zunka
