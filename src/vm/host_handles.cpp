#include "vm/host_handles.h"

#include <new>

namespace zunka::vm {

HostHandles::Entry* HostHandles::entries_ = nullptr;
uint32_t HostHandles::size_ = 0;
uint32_t HostHandles::capacity_ = 0;
std::size_t HostHandles::live_ = 0;
uint32_t HostHandles::freeHead_ = 0;
uint32_t HostHandles::freeTail_ = 0;
std::size_t HostHandles::freeCount_ = 0;

void HostHandles::grow() {
  uint32_t capacity = capacity_ ? capacity_ * 2 : 1024;
  auto* bigger = new Entry[capacity];
  for (uint32_t i = 0; i < size_; ++i) bigger[i] = entries_[i];
  delete[] entries_;
  entries_ = bigger;
  capacity_ = capacity;
  if (size_ == 0) entries_[size_++] = Entry{nullptr, 0, 0};  // index 0 is never a handle
}

namespace {
constexpr uint32_t kGenerationMask = (1u << (32 - HostHandles::kIndexBits)) - 1;
// Slots are recycled only when enough are waiting, oldest first, to keep stale
// handles from matching a new object for as long as possible.
constexpr std::size_t kRecycleAfter = 1024;
}  // namespace

uint32_t HostHandles::add(HostObject* object, HostKind) {
  uint32_t index;
  if (size_ == 0) grow();
  if (freeCount_ > kRecycleAfter || size_ > kIndexMask) {
    if (freeCount_ == 0) throw std::bad_alloc();
    index = freeHead_;  // the slot that has waited longest
    freeHead_ = entries_[index].nextFree;
    --freeCount_;
  } else {
    if (size_ == capacity_) grow();
    index = size_++;
    entries_[index] = Entry{nullptr, 1, 0};
  }
  Entry& e = entries_[index];
  e.object = object;
  ++live_;
  return index | (e.generation << kIndexBits);
}

void HostHandles::remove(uint32_t handle) {
  uint32_t index = handle & kIndexMask;
  if (index == 0 || index >= size_) return;
  Entry& e = entries_[index];
  if (e.generation != (handle >> kIndexBits) || !e.object) return;
  e.object = nullptr;
  e.generation = (e.generation + 1) & kGenerationMask;
  if (e.generation == 0) e.generation = 1;  // handle 0 must never be valid
  --live_;
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

HostObject::HostObject(HostKind kind) : handle_(HostHandles::add(this, kind)), kind_(kind) {}

HostObject::HostObject(SharedHandle shared, HostKind kind)
    : handle_(shared.handle), kind_(kind), ownsHandle_(false) {}

uint32_t HostHandles::renew(uint32_t handle, HostObject* object) {
  uint32_t index = handle & kIndexMask;
  // The slot queues behind the others and the one that waited longest is taken,
  // as remove and add would do; only a slot in use in a table past its growth
  // goes through them.
  if (index == 0 || index >= size_ || entries_[index].generation != (handle >> kIndexBits) ||
      !entries_[index].object || freeCount_ < kRecycleAfter) {
    remove(handle);
    return add(object, object->hostKind());
  }
  Entry& e = entries_[index];
  e.object = nullptr;
  e.generation = (e.generation + 1) & kGenerationMask;
  if (e.generation == 0) e.generation = 1;
  e.nextFree = 0;
  entries_[freeTail_].nextFree = index;
  freeTail_ = index;
  uint32_t taken = freeHead_;
  freeHead_ = entries_[taken].nextFree;
  Entry& slot = entries_[taken];
  slot.object = object;
  return taken | (slot.generation << kIndexBits);
}

void HostObject::renewHandle() {
  if (!ownsHandle_) return;
  handle_ = HostHandles::renew(handle_, this);
}

HostObject::~HostObject() {
  if (ownsHandle_) HostHandles::remove(handle_);
}

}  // namespace zunka::vm
