#include "resources/multi_statement_script.h"

#include "platform/files.h"

namespace zunka {

TMultiEvaluator::TMultiEvaluator() {
  entries_.push_back("extends Object; $_exec_checkPoint=-1;");
}

void TMultiEvaluator::Add(std::string_view statement) {
  entries_.push_back(std::string(statement) +
                     "\r\n$_exec_checkPoint=" + std::to_string(entries_.size()) + ";");
}

bool TMultiEvaluator::Save(std::string_view path) const {
  return platform::writeFile(path, Text());
}

std::string TMultiEvaluator::Text() const {
  std::string text;
  for (const std::string& e : entries_) text += e + "\r\n";
  return text;
}

}  // namespace zunka
