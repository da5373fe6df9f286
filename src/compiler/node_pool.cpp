#include "compiler/node_pool.h"

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

namespace zunka::node_pool {
namespace {

constexpr size_t kSlotsPerBlock = 4096;  // 256 KB a block

struct alignas(16) Slot {
  std::byte bytes[kSlotSize];
};

class Pool {
 public:
  void* take() {
    ++live_;
    if (free_) {
      void* slot = free_;
      free_ = *static_cast<void**>(slot);
      return slot;
    }
    if (blocks_.empty() || used_ == kSlotsPerBlock) addBlock();
    return &blocks_.back().get()[used_++];
  }

  // False for memory that is not one of the pool's slots.
  bool give(void* memory) {
    if (!owns(memory)) return false;
    *static_cast<void**>(memory) = free_;
    free_ = memory;
    if (--live_ == 0) releaseBlocks();
    return true;
  }

  bool active() const { return scopes_ > 0; }
  size_t blocks() const { return blocks_.size(); }
  void enter() { ++scopes_; }
  void leave() { --scopes_; }

 private:
  void addBlock() {
    blocks_.push_back(std::make_unique_for_overwrite<Slot[]>(kSlotsPerBlock));
    const Slot* start = blocks_.back().get();
    starts_.insert(std::upper_bound(starts_.begin(), starts_.end(), start), start);
    used_ = 0;
  }

  // Nodes tend to go in the order they came, block by block: the block of the
  // last answer is tried first.
  bool owns(const void* memory) {
    auto* slot = static_cast<const Slot*>(memory);
    if (lastOwner_ && slot >= lastOwner_ && slot < lastOwner_ + kSlotsPerBlock) return true;
    auto after = std::upper_bound(starts_.begin(), starts_.end(), slot);
    if (after == starts_.begin() || slot >= *std::prev(after) + kSlotsPerBlock) return false;
    lastOwner_ = *std::prev(after);
    return true;
  }

  void releaseBlocks() {
    blocks_.clear();
    starts_.clear();
    lastOwner_ = nullptr;
    free_ = nullptr;
    used_ = 0;
  }

  std::vector<std::unique_ptr<Slot[]>> blocks_;
  std::vector<const Slot*> starts_;  // sorted, for owns()
  const Slot* lastOwner_ = nullptr;
  void* free_ = nullptr;
  size_t used_ = 0;
  size_t live_ = 0;
  int scopes_ = 0;
};

// Never destroyed: a node freed while the process ends must still find it.
Pool& pool() {
  static Pool* const instance = new Pool;
  return *instance;
}

#ifdef ZUNKA_ASAN
constexpr bool kPooling = false;
#else
constexpr bool kPooling = true;
#endif

}  // namespace

void* take(size_t size) {
  if (kPooling && size <= kSlotSize && pool().active()) return pool().take();
  return ::operator new(size);
}

void give(void* memory) {
  if (!kPooling || !pool().give(memory)) ::operator delete(memory);
}

size_t blocksHeld() {
  return kPooling ? pool().blocks() : 0;
}

ParseScope::ParseScope() {
  pool().enter();
}

ParseScope::~ParseScope() {
  pool().leave();
}

}  // namespace zunka::node_pool
