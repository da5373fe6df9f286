#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace zunka {

// Keeps a flood of errors from drowning the console. A report (a message with
// its trace) is shown the first three times it comes; later ones are only
// counted, and when the console is finished with (the player or a --run ends)
// one line per such report says how many were left out. Processes that fail the
// same few ways thousands of times a frame thus cost a few lines, however their
// reports interleave, and a message box is shown no more often than its line is
// printed. At most 1,024 reports are remembered; past that the count starts
// afresh (the left-out ones are summed up first).
class RepeatedReports {
 public:
  static constexpr int32_t kShown = 3;
  static constexpr size_t kRemembered = 1024;

  // Whether the report `key` (its text and trace) is to be shown; `describe`
  // gives, the first time, what its summary line names. `summaries` receives the
  // lines of reports forgotten to make room.
  bool admit(const std::string& key, const std::function<std::string()>& describe,
             std::vector<std::string>& summaries);
  // The summary lines of every report left out so far, in the order the reports
  // first came; the counts start afresh.
  std::vector<std::string> finish();

 private:
  struct Seen {
    std::string message;
    int64_t count = 0;
  };
  std::unordered_map<std::string, size_t> index_;
  std::vector<Seen> seen_;
};

}  // namespace zunka
