#pragma once
#include <memory>

#include "compiler/result_list.h"

namespace zunka {

class TContext;

// Base of all syntax-tree nodes. Code generation walks a node's items by
// position, so the item layout is fixed by the grammar text.
class TResList : public TResultList {
 public:
  const char* className() const override { return "TResList"; }
  std::unique_ptr<TResultList> newInstance() const override { return std::make_unique<TResList>(); }

  // Item i as a syntax node; null when it is a token.
  TResList* item(int i) const {
    TResultList* n = node(i);
    return n ? n->asSyntaxNode() : nullptr;
  }
  TResList* asSyntaxNode() override { return this; }

  // Writes the node's code and returns an integer (the argument count for an
  // argument list, 0 otherwise). The base writes nothing.
  virtual int Generate(TContext& context);
};

// Gives a node class its name and its prototype factory.
template <class Node>
class SyntaxNode : public TResList {
 public:
  const char* className() const override { return Node::kClassName; }
  std::unique_ptr<TResultList> newInstance() const override { return std::make_unique<Node>(); }
};

}  // namespace zunka
