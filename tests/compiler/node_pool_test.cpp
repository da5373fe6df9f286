// Parse nodes made during a parse come from the pool, those made outside it
// from the heap; either kind goes back through the same call, in any order,
// and the pool gives all its memory back once its last node is gone.
#include "compiler/node_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "compiler/result_list.h"

namespace zunka {
namespace {

TEST(NodePool, NodesOfEitherOriginGoBackInAnyOrderAndTheBlocksWithTheLast) {
  std::vector<TResultList*> nodes;
  nodes.push_back(new TResultList);  // before the parse: from the heap
  {
    node_pool::ParseScope parsing;
    for (int i = 0; i < 10000; ++i) nodes.push_back(new TResultList);
    // Larger than a slot: from the heap even while pooling.
    void* big = node_pool::take(node_pool::kSlotSize + 1);
    std::memset(big, 0xA5, node_pool::kSlotSize + 1);
    node_pool::give(big);
  }
  nodes.push_back(new TResultList);  // after it: from the heap
#ifndef ZUNKA_ASAN
  EXPECT_EQ(node_pool::blocksHeld(), 3u);  // 4,096 slots a block
#endif
  // Every node is its own memory: each keeps what was written into it.
  for (size_t i = 0; i < nodes.size(); ++i)
    for (int k = 0; k < int(i % 3) + 1; ++k) nodes[i]->add({nullptr, nullptr});
  for (size_t i = 0; i < nodes.size(); ++i) EXPECT_EQ(nodes[i]->count(), int(i % 3) + 1);

  std::shuffle(nodes.begin(), nodes.end(), std::mt19937(7));
  for (size_t i = 0; i + 1 < nodes.size(); ++i) delete nodes[i];
  // A slot freed mid-way is used again by the next parse's nodes.
  {
    node_pool::ParseScope parsing;
    auto* again = new TResultList;
    EXPECT_EQ(again->count(), 0);
    delete again;
  }
  delete nodes.back();
  EXPECT_EQ(node_pool::blocksHeld(), 0u);
}

}  // namespace
}  // namespace zunka
