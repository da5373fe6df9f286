#include "vm/host_handles.h"

#include <deque>
#include <new>

namespace zunka::vm {

HostHandles::Entry* HostHandles::entries_ = nullptr;
uint32_t HostHandles::size_ = 0;
uint32_t HostHandles::capacity_ = 0;
std::size_t HostHandles::live_ = 0;

void HostHandles::grow() {
  uint32_t capacity = capacity_ ? capacity_ * 2 : 1024;
  auto* bigger = new Entry[capacity];
  for (uint32_t i = 0; i < size_; ++i) bigger[i] = entries_[i];
  delete[] entries_;
  entries_ = bigger;
  capacity_ = capacity;
  if (size_ == 0) entries_[size_++] = Entry{nullptr, 0};  // index 0 is never a handle
}

namespace {
constexpr uint32_t kGenerationMask = (1u << (32 - HostHandles::kIndexBits)) - 1;
// Slots are recycled only when enough are waiting, oldest first, to keep stale
// handles from matching a new object for as long as possible.
constexpr std::size_t kRecycleAfter = 1024;
std::deque<uint32_t>& freeSlots() {
  static auto* slots = new std::deque<uint32_t>();  // outlives every host object
  return *slots;
}
}  // namespace

uint32_t HostHandles::add(HostObject* object, HostKind) {
  uint32_t index;
  auto& slots = freeSlots();
  if (size_ == 0) grow();
  if (slots.size() > kRecycleAfter || size_ > kIndexMask) {
    if (slots.empty()) throw std::bad_alloc();
    index = slots.front();
    slots.pop_front();
  } else {
    if (size_ == capacity_) grow();
    index = size_++;
    entries_[index] = Entry{nullptr, 1};
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
  freeSlots().push_back(index);
}

HostObject::HostObject(HostKind kind) : handle_(HostHandles::add(this, kind)), kind_(kind) {}

HostObject::HostObject(SharedHandle shared, HostKind kind)
    : handle_(shared.handle), kind_(kind), ownsHandle_(false) {}

void HostObject::renewHandle() {
  if (!ownsHandle_) return;
  HostHandles::remove(handle_);
  handle_ = HostHandles::add(this, kind_);
}

HostObject::~HostObject() {
  if (ownsHandle_) HostHandles::remove(handle_);
}

}  // namespace zunka::vm
