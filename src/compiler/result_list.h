#pragma once
#include <memory>
#include <vector>

namespace zunka {

class TLexElem;
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
  TResultList& operator=(const TResultList&) = delete;

  virtual const char* className() const { return "TResultList"; }
  // The parser creates every node of an element as a fresh instance of the
  // class of the prototype the element was given.
  virtual std::unique_ptr<TResultList> newInstance() const;

  int count() const { return static_cast<int>(items_.size()); }
  bool isToken(int i) const { return items_[i].token != nullptr; }
  const TLexElem* token(int i) const { return items_[i].token; }
  TResultList* node(int i) const { return items_[i].node.get(); }

  void add(ResultItem item) { items_.push_back(std::move(item)); }
  void reserve(int count) { items_.reserve(count); }
  // Drops the items from index `count` on (frees the nodes among them).
  void truncate(int count) { items_.resize(count); }

 private:
  std::vector<ResultItem> items_;
};

}  // namespace zunka
