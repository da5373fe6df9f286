#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

namespace zunka {

class TLexElem;
class TResList;
class TResultList;
struct ReturnLentNode;

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
  // Destroys and frees the node, unless it is a lent empty node (below).
  static void operator delete(TResultList* node, std::destroying_delete_t);
  // Frees the memory of a node whose constructor threw.
  static void operator delete(void* memory);
  TResultList& operator=(const TResultList&) = delete;

  virtual const char* className() const { return "TResultList"; }
  // The parser creates every node of an element as a fresh instance of the
  // class of the prototype the element was given.
  virtual std::unique_ptr<TResultList> newInstance() const;
  // The node as a syntax node, or null: a virtual call where a dynamic_cast would
  // compare type names on every miss (code generation asks for each item).
  virtual TResList* asSyntaxNode() { return nullptr; }
  // Whether every group of an element that matched nothing may hold one empty
  // node of this class (the node is never written after the parse).
  virtual bool emptyMayBeShared() const { return false; }

  int count() const { return count_; }
  bool isToken(int i) const { return (itemAt(i) & kTokenBit) != 0; }
  const TLexElem* token(int i) const {
    uintptr_t item = itemAt(i);
    return item & kTokenBit ? reinterpret_cast<const TLexElem*>(item & ~kTokenBit) : nullptr;
  }
  TResultList* node(int i) const {
    uintptr_t item = itemAt(i);
    return item & kTokenBit ? nullptr : reinterpret_cast<TResultList*>(item);
  }

  void add(ResultItem item) {
    uintptr_t packed = pack(std::move(item));
    if (count_ < kInline)
      inline_[count_] = packed;
    else
      more_.push_back(packed);
    ++count_;
  }
  void reserve(int count);
  // Drops the items from index `count` on (frees the nodes among them).
  void truncate(int count);

 private:
  // Most nodes hold one to three items: those live in the node itself, so that
  // a parse of a large script does not pay an allocation per node for them.
  static constexpr int kInline = 3;
  // An item is one word: a borrowed token with its lowest bit set, an owned
  // node, or 0 for nothing. A large page makes millions of nodes, so their
  // size counts.
  static constexpr uintptr_t kTokenBit = 1;

  uintptr_t itemAt(int i) const { return i < kInline ? inline_[i] : more_[size_t(i - kInline)]; }
  static uintptr_t pack(ResultItem item) {
    if (item.token) return reinterpret_cast<uintptr_t>(item.token) | kTokenBit;
    return reinterpret_cast<uintptr_t>(item.node.release());
  }
  static void drop(uintptr_t item);

  friend struct ReturnLentNode;
  friend std::unique_ptr<TResultList, ReturnLentNode> makeLentNode(const TResultList&);

  uintptr_t inline_[kInline] = {};
  std::vector<uintptr_t> more_;
  int count_ = 0;
  bool lent_ = false;  // held by its grammar element, only borrowed by trees
};

// The owner of an empty node lent to parse trees: a tree "deleting" it leaves it
// alone, its owner's deletion really frees it. A large page has millions of
// groups that matched nothing; they share one node instead of a node each.
struct ReturnLentNode {
  void operator()(TResultList* node) const;
};
using LentNode = std::unique_ptr<TResultList, ReturnLentNode>;

// An empty node of `prototype`'s class, marked as lent.
LentNode makeLentNode(const TResultList& prototype);
// A tree's hold on a lent node (deleting it does nothing).
std::unique_ptr<TResultList> borrow(const LentNode& node);

}  // namespace zunka
