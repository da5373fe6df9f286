#pragma once
#include <cstddef>
#include <memory>
#include <vector>

namespace zunka {

class TLexElem;
class TResList;
class TResultList;

// One result of matching a grammar element: a token (borrowed from the token
// list) or a node (owned). Both empty means "no match".
struct ResultItem {
  const TLexElem* token = nullptr;
  std::unique_ptr<TResultList> node;

  explicit operator bool() const { return token != nullptr || node != nullptr; }
};

// A node of the parse tree: its items are the results of its element's children,
// in order. Tokens are borrowed, so a tree must be freed before its token list.
class TResultList {
 public:
  TResultList();
  virtual ~TResultList();
  TResultList(const TResultList&) = delete;
  // Parse nodes come from the node pool (compiler/node_pool.h).
  static void* operator new(size_t size);
  static void operator delete(void* memory);
  TResultList& operator=(const TResultList&) = delete;

  virtual const char* className() const { return "TResultList"; }
  // The parser creates every node of an element as a fresh instance of the
  // class of the prototype the element was given.
  virtual std::unique_ptr<TResultList> newInstance() const;
  // The node as a syntax node, or null: a virtual call where a dynamic_cast would
  // compare type names on every miss (code generation asks for each item).
  virtual TResList* asSyntaxNode() { return nullptr; }

  int count() const { return count_; }
  bool isToken(int i) const { return at(i).token != nullptr; }
  const TLexElem* token(int i) const { return at(i).token; }
  TResultList* node(int i) const { return at(i).node.get(); }

  void add(ResultItem item);
  void reserve(int count);
  // Drops the items from index `count` on (frees the nodes among them).
  void truncate(int count);

 private:
  // Most nodes hold one to three items: those live in the node itself, so that
  // a parse of a large script does not pay an allocation per node for them.
  static constexpr int kInline = 3;

  const ResultItem& at(int i) const { return i < kInline ? inline_[i] : more_[i - kInline]; }

  ResultItem inline_[kInline];
  std::vector<ResultItem> more_;
  int count_ = 0;
};

}  // namespace zunka
