#include "compiler/res_list.h"

#include "compiler/node_pool.h"

namespace zunka {

// Syntax nodes hold no data of their own: each fits a slot of the node pool.
static_assert(sizeof(TResList) <= node_pool::kSlotSize);

int TResList::Generate(TContext&) {
  return 0;
}

}  // namespace zunka
