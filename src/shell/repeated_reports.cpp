#include "shell/repeated_reports.h"

namespace zunka {

bool RepeatedReports::admit(const std::string& key, const std::function<std::string()>& describe,
                            std::vector<std::string>& summaries) {
  auto found = index_.find(key);
  if (found == index_.end()) {
    if (seen_.size() == kRemembered) {
      std::vector<std::string> lines = finish();
      summaries.insert(summaries.end(), lines.begin(), lines.end());
    }
    index_.emplace(key, seen_.size());
    seen_.push_back(Seen{describe(), 1});
    return true;
  }
  return ++seen_[found->second].count <= kShown;
}

std::vector<std::string> RepeatedReports::finish() {
  std::vector<std::string> lines;
  for (const Seen& s : seen_) {
    int64_t leftOut = s.count - kShown;
    if (leftOut > 0)
      lines.push_back("... " + s.message + " (repeated " + std::to_string(leftOut) + " more time" +
                      (leftOut == 1 ? ")" : "s)"));
  }
  index_.clear();
  seen_.clear();
  return lines;
}

}  // namespace zunka
