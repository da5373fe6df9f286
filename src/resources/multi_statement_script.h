#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace zunka {

// Builds one program from many statements, each followed by a check point that
// sets $_exec_checkPoint to its number, so a run that stops early shows how far it
// got.
class TMultiEvaluator {
 public:
  // Statements after the first line that one block of a long program holds.
  static constexpr size_t kEntriesPerBlock = 10000;

  TMultiEvaluator();
  void Add(std::string_view statement);
  std::string Text() const;
  // Writes the program as a text file (CR LF line ends); false when it cannot.
  bool Save(std::string_view path) const;
  const std::vector<std::string>& entries() const { return entries_; }

 private:
  std::vector<std::string> entries_;
};

}  // namespace zunka
