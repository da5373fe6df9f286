#include "debug/time_table.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <vector>

namespace zunka {
namespace {

using Row = std::array<std::string, TTimeAnalyzer::kColumns>;

constexpr const char* kHeaders[TTimeAnalyzer::kColumns] = {"No.", "通過回数", "合計ms", "%",
                                                           "1回平均ms"};

// Widths in bytes: in Shift_JIS a double-byte character is as wide on a terminal
// as its two bytes, so byte counts align the headers with the numbers.
std::string formatRow(const Row& row, const std::array<size_t, TTimeAnalyzer::kColumns>& widths) {
  std::string line;
  for (int c = 0; c < TTimeAnalyzer::kColumns; ++c) {
    if (c > 0) line += "  ";
    line.append(widths[c] - row[c].size(), ' ');
    line += row[c];
  }
  return line + "\n";
}

}  // namespace

std::string timeValueText(double value) {
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string formatTimeTable(const TTimeAnalyzer& analyzer, TTimeAnalyzer::Order order) {
  std::vector<Row> rows;
  Row header;
  std::copy(std::begin(kHeaders), std::end(kHeaders), header.begin());
  rows.push_back(header);
  for (int s : analyzer.displayOrder(order)) {
    Row row;
    for (int c = 0; c < TTimeAnalyzer::kColumns; ++c) row[c] = timeValueText(analyzer.column(s, c));
    rows.push_back(row);
  }
  std::array<size_t, TTimeAnalyzer::kColumns> widths{};
  for (const Row& row : rows)
    for (int c = 0; c < TTimeAnalyzer::kColumns; ++c)
      widths[c] = std::max(widths[c], row[c].size());
  std::string table;
  for (const Row& row : rows) table += formatRow(row, widths);
  return table;
}

}  // namespace zunka
