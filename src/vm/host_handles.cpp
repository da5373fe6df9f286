#include "vm/host_handles.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#include "platform/virtual_memory.h"

namespace zunka::vm {

namespace {
constexpr uint32_t kGenerationMask = (1u << (32 - HostHandles::kIndexBits)) - 1;
// Slots are recycled only when enough are waiting, oldest first, to keep stale
// handles from matching a new object for as long as possible.
constexpr std::size_t kRecycleAfter = 1024;
}  // namespace

HostHandles::Entry* HostHandles::entries_ = nullptr;
uint32_t HostHandles::size_ = 1;
std::size_t HostHandles::live_ = 0;
uint32_t HostHandles::freeHead_ = 0;
uint32_t HostHandles::freeTail_ = 0;
std::size_t HostHandles::freeCount_ = 0;

namespace {
// Reserves the table before main and before other files' statics, so that a
// lookup never meets a table that is not there.
struct TableBeforeMain {
  TableBeforeMain() { HostHandles::initialize(); }
};
[[gnu::init_priority(101)]] TableBeforeMain tableBeforeMain;
}  // namespace

void HostHandles::initialize() {
  if (!entries_) entries_ = reserve();
}

HostHandles::Entry* HostHandles::reserve() {
  auto* entries =
      static_cast<Entry*>(platform::reserveLazyRegion(size_t(kIndexMask + 1) * sizeof(Entry)));
  if (!entries) {
    std::fprintf(stderr, "zunka: cannot reserve the host object table\n");
    std::abort();
  }
  entries[0].tag = UINT32_MAX;  // index 0 is never a handle
  // Host objects alive at exit stay reachable through the table.
  platform::scanForLeakRoots(entries, size_t(kIndexMask + 1) * sizeof(Entry));
  return entries;
}

uint32_t HostHandles::add(HostObject* object, HostKind kind) {
  initialize();
  uint32_t index;
  if (freeCount_ > kRecycleAfter || size_ > kIndexMask) {
    if (freeCount_ == 0) throw std::bad_alloc();
    index = freeHead_;  // the slot that has waited longest
    freeHead_ = entries_[index].nextFree;
    --freeCount_;
  } else {
    index = size_++;
    entries_[index].tag = tagOf(1, HostKind::None);
  }
  Entry& e = entries_[index];
  e.object = object;
  e.tag = tagOf(e.tag >> kKindBits, kind);
  ++live_;
  return index | (e.tag >> kKindBits << kIndexBits);
}

inline void HostHandles::retire(uint32_t index) {
  Entry& e = entries_[index];
  uint32_t generation = ((e.tag >> kKindBits) + 1) & kGenerationMask;
  if (generation == 0) generation = 1;  // handle 0 must never be valid
  e.object = nullptr;
  e.tag = tagOf(generation, HostKind::None);
  // Queued behind the slots freed before it, threaded through the free entries
  // themselves: no allocation, whatever the number of slots waiting.
  e.nextFree = 0;
  if (freeCount_ == 0)
    freeHead_ = index;
  else
    entries_[freeTail_].nextFree = index;
  freeTail_ = index;
  ++freeCount_;
}

void HostHandles::remove(uint32_t handle) {
  if (!find(handle)) return;
  retire(handle & kIndexMask);
  --live_;
}

HostObject::HostObject(HostKind kind) : handle_(HostHandles::add(this, kind)), kind_(kind) {}

HostObject::HostObject(SharedHandle shared, HostKind kind)
    : handle_(shared.handle), kind_(kind), ownsHandle_(false) {}

uint32_t HostHandles::renew(uint32_t handle, HostObject* object) {
  // The slot queues behind the others and the one that waited longest is taken,
  // as remove and add would do; only a slot in use in a table past its growth
  // goes through them.
  if (!find(handle) || freeCount_ < kRecycleAfter) {
    remove(handle);
    return add(object, object->hostKind());
  }
  retire(handle & kIndexMask);
  const uint32_t taken = freeHead_;
  freeHead_ = entries_[taken].nextFree;
  --freeCount_;
  Entry& slot = entries_[taken];
  slot.object = object;
  slot.tag = tagOf(slot.tag >> kKindBits, object->hostKind());
  return taken | (slot.tag >> kKindBits << kIndexBits);
}

void HostObject::renewHandle() {
  if (!ownsHandle_) return;
  handle_ = HostHandles::renew(handle_, this);
}

HostObject::~HostObject() {
  if (ownsHandle_) HostHandles::remove(handle_);
}

}  // namespace zunka::vm
