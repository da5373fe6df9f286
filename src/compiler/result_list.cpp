#include "compiler/result_list.h"

#include <algorithm>

#include "compiler/grammar_counters.h"
#include "compiler/lex_elem.h"
#include "compiler/node_pool.h"

namespace zunka {

static_assert(alignof(TLexElem) > 1 && alignof(TResultList) > 1, "items keep a flag in bit 0");

TResultList::TResultList() {
  ++vm::liveCounters().resultLists;
}

TResultList::~TResultList() {
  truncate(0);
  --vm::liveCounters().resultLists;
}

void* TResultList::operator new(size_t size) {
  return node_pool::take(size);
}

void TResultList::operator delete(TResultList* node, std::destroying_delete_t) {
  if (node->lent_) return;
  node->~TResultList();  // virtual: the whole node, whatever its class
  node_pool::give(node);
}

void TResultList::operator delete(void* memory) {
  node_pool::give(memory);
}

void TResultList::drop(uintptr_t item) {
  if (!(item & kTokenBit)) delete reinterpret_cast<TResultList*>(item);
}

void TResultList::reserve(int count) {
  if (count > kInline) more_.reserve(size_t(count - kInline));
}

void TResultList::truncate(int count) {
  if (count < 0 || count >= count_) return;
  for (int i = count; i < count_; ++i) drop(itemAt(i));
  for (int i = count; i < kInline; ++i) inline_[i] = 0;
  more_.resize(size_t(std::max(count - kInline, 0)));
  count_ = count;
}

std::unique_ptr<TResultList> TResultList::newInstance() const {
  return std::make_unique<TResultList>();
}

}  // namespace zunka

namespace zunka {

void ReturnLentNode::operator()(TResultList* node) const {
  if (!node) return;
  node->lent_ = false;
  delete node;
}

LentNode makeLentNode(const TResultList& prototype) {
  LentNode node(prototype.newInstance().release());
  node->lent_ = true;
  return node;
}

std::unique_ptr<TResultList> borrow(const LentNode& node) {
  return std::unique_ptr<TResultList>(node.get());
}

}  // namespace zunka
