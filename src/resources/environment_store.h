#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace zunka {

// Settings the player keeps between pages (the last page loaded, recent pages,
// screen options): lines "env:NAME=value", read at start-up from
// Kernel\Cookies.ini under baseDir. The player reads and changes them in memory
// only; other lines of the file are kept as they are.
class TEnvironmentStore {
 public:
  // Replaces the lines with those of `path` (nothing when it does not exist).
  void Load(std::string_view path);
  void Clear() { lines_.clear(); }

  // The value of the first line for `name` (ASCII case ignored); "" when absent.
  std::string GetEnv(std::string_view name) const;
  // Removes every line for `name` and appends "env:NAME=value".
  void SetEnv(std::string_view name, std::string_view value);

  const std::vector<std::string>& lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
};

// The one store of the running player.
TEnvironmentStore& environmentStore();

// The store's file: Kernel\Cookies.ini under baseDir; when baseDir takes no writes,
// Cookies.ini in the started game's user data folder (user_storage.h) comes first
// if the user has one.
std::string EnvironmentFilePath();

}  // namespace zunka
