#pragma once
#include <memory>

#include "compiler/result_list.h"

namespace zunka {

// The tree of one successful parse. Counted as outstanding until released, so
// the statistics line shows trees that a compilation forgot to free.
class ParseTree {
 public:
  ParseTree() = default;
  explicit ParseTree(std::unique_ptr<TResultList> root);
  ~ParseTree();
  ParseTree(ParseTree&& other) noexcept;
  ParseTree& operator=(ParseTree&& other) noexcept;
  ParseTree(const ParseTree&) = delete;
  ParseTree& operator=(const ParseTree&) = delete;

  TResultList* root() const { return root_.get(); }
  explicit operator bool() const { return root_ != nullptr; }
  void reset();

 private:
  std::unique_ptr<TResultList> root_;
};

}  // namespace zunka
