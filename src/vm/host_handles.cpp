#include "vm/host_handles.h"

#include <deque>
#include <new>

namespace zunka::vm {

std::vector<HostHandles::Entry> HostHandles::entries_(1, Entry{nullptr, 0});
std::size_t HostHandles::live_ = 0;

namespace {
constexpr uint32_t kGenerationMask = (1u << (32 - HostHandles::kIndexBits)) - 1;
// Slots are recycled only when enough are waiting, oldest first, to keep stale
// handles from matching a new object for as long as possible.
constexpr std::size_t kRecycleAfter = 1024;
std::deque<uint32_t>& freeSlots() {
  static std::deque<uint32_t> slots;
  return slots;
}
}  // namespace

uint32_t HostHandles::add(HostObject* object, HostKind) {
  uint32_t index;
  auto& slots = freeSlots();
  if (slots.size() > kRecycleAfter || entries_.size() > kIndexMask) {
    if (slots.empty()) throw std::bad_alloc();
    index = slots.front();
    slots.pop_front();
  } else {
    index = static_cast<uint32_t>(entries_.size());
    entries_.push_back(Entry{nullptr, 1});
  }
  Entry& e = entries_[index];
  e.object = object;
  ++live_;
  return index | (e.generation << kIndexBits);
}

void HostHandles::remove(uint32_t handle) {
  uint32_t index = handle & kIndexMask;
  if (index == 0 || index >= entries_.size()) return;
  Entry& e = entries_[index];
  if (e.generation != (handle >> kIndexBits) || !e.object) return;
  e.object = nullptr;
  e.generation = (e.generation + 1) & kGenerationMask;
  if (e.generation == 0) e.generation = 1;  // handle 0 must never be valid
  --live_;
  freeSlots().push_back(index);
}

HostObject::HostObject(HostKind kind) : handle_(HostHandles::add(this, kind)), kind_(kind) {}

HostObject::~HostObject() { HostHandles::remove(handle_); }

}  // namespace zunka::vm
