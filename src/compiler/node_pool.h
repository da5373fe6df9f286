#pragma once
// Memory for parse nodes. A large script makes and frees parse nodes by the
// hundred thousand (a page of 10,000 objects: about two million), and the
// general heap spent a fifth of such a compilation on them. While a parse runs,
// nodes are carved from blocks; a freed one goes on a free list, and once the
// last of them is gone the blocks go back to the heap, so nothing stays behind
// between parses. Nodes made outside a parse (the grammar's prototypes) come
// from the heap as before. Under the sanitizers every node comes from the heap,
// so that they keep checking each node's lifetime.
#include <cstddef>

namespace zunka::node_pool {

inline constexpr size_t kSlotSize = 64;

// Memory for a node of `size` bytes: a slot while a parse runs and the node
// fits, else from the heap.
void* take(size_t size);
// Gives back what take() gave.
void give(void* memory);

// Blocks the pool holds now (none between parses); 0 where nodes are not pooled.
size_t blocksHeld();

// Nodes are pooled while one of these lives.
class ParseScope {
 public:
  ParseScope();
  ~ParseScope();
  ParseScope(const ParseScope&) = delete;
  ParseScope& operator=(const ParseScope&) = delete;
};

}  // namespace zunka::node_pool
