#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace zunka {

class TEnvironmentStore;

// The pages opened lately, newest first, one per directory: a game is a
// directory, so opening another page of the same game replaces its entry.
class TRecentPages {
 public:
  static constexpr size_t kMaxEntries = 9;

  // Puts `file` first. Pages of the bundled project (in `usrDir`) are not
  // remembered; an entry from the same directory is replaced.
  void Remember(std::string_view file, std::string_view usrDir);
  // The list saved in the environment store as RecentPage0 to RecentPage9,
  // resolved against `baseDir`; entries whose file is gone are left out.
  void Load(const TEnvironmentStore& store, std::string_view baseDir);

  const std::vector<std::string>& entries() const { return entries_; }

 private:
  std::vector<std::string> entries_;
};

}  // namespace zunka
