#include "vm/method_cache.h"

#include <algorithm>
#include <iterator>

namespace zunka::vm {

uint32_t MethodCache::epoch_ = 1;
MethodCache::Entry MethodCache::entries_[1u << MethodCache::kIndexBits] = {};

void MethodCache::methodsChanged() {
  if (++epoch_ != 0) return;
  // After four billion changes the count comes round: entries of the first
  // epochs could look fresh again, so none is kept.
  std::fill(std::begin(entries_), std::end(entries_), Entry{});
  epoch_ = 1;
}

}  // namespace zunka::vm
