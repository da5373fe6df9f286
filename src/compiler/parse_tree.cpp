#include "compiler/parse_tree.h"

#include "compiler/grammar_counters.h"

namespace zunka {

ParseTree::ParseTree(std::unique_ptr<TResultList> root) : root_(std::move(root)) {
  if (root_) ++vm::liveCounters().parses;
}

ParseTree::~ParseTree() {
  reset();
}

ParseTree::ParseTree(ParseTree&& other) noexcept : root_(std::move(other.root_)) {}

ParseTree& ParseTree::operator=(ParseTree&& other) noexcept {
  if (this != &other) {
    reset();
    root_ = std::move(other.root_);
  }
  return *this;
}

void ParseTree::reset() {
  if (!root_) return;
  root_.reset();
  --vm::liveCounters().parses;
}

}  // namespace zunka
