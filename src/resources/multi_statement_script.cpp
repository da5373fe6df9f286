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
  // The grammar repeats a program's statements at most 123,456 times, and each
  // entry is two statements: a long program groups its entries in blocks, each
  // one statement at the top. A short one keeps the plain form.
  bool grouped = entries_.size() > kEntriesPerBlock + 1;
  std::string text;
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (grouped && i % kEntriesPerBlock == 1) text += "{\r\n";
    text += entries_[i] + "\r\n";
    if (grouped && i > 0 && (i % kEntriesPerBlock == 0 || i + 1 == entries_.size()))
      text += "}\r\n";
  }
  return text;
}

}  // namespace zunka
