#pragma once
#include <string>
#include <string_view>

namespace zunka::testing {

// A fresh host directory, removed with everything in it at destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& host() const { return host_; }
  const std::string& system() const { return system_; }  // `\` form
  // Writes a file below the directory; gives its system path.
  std::string write(std::string_view relative, std::string_view bytes) const;

 private:
  std::string host_;
  std::string system_;
};

// Copies the folder `from` with everything in it to `to` (system paths).
void copyTree(const std::string& from, const std::string& to);

}  // namespace zunka::testing
