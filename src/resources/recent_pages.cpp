#include "resources/recent_pages.h"

#include "platform/files.h"
#include "resources/environment_store.h"
#include "resources/paths.h"

namespace zunka {

void TRecentPages::Remember(std::string_view file, std::string_view usrDir) {
  std::string dir = ParentDir(file);
  if (SamePath(dir, usrDir)) return;
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (SamePath(ParentDir(*it), dir)) {
      entries_.erase(it);
      break;
    }
  }
  entries_.insert(entries_.begin(), std::string(file));
  if (entries_.size() > kMaxEntries) entries_.erase(entries_.begin() + kMaxEntries);
}

void TRecentPages::Load(const TEnvironmentStore& store, std::string_view baseDir) {
  entries_.clear();
  for (int n = 0; n <= 9; ++n) {
    std::string file = ResolvePath(store.GetEnv("RecentPage" + std::to_string(n)), baseDir);
    if (!file.empty() && platform::fileExists(file)) entries_.push_back(file);
  }
}

}  // namespace zunka
