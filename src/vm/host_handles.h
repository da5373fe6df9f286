#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "vm/host_object.h"

namespace zunka::vm {

// Handle table for host objects. A handle is a slot index in the low 22 bits and
// the slot's generation in the high 10 bits; slots are reused oldest-first, so a
// stale handle only matches again after a thousand reuses of its slot, and even
// then the family check must pass.
class HostHandles {
 public:
  static constexpr uint32_t kIndexBits = 22;
  static constexpr uint32_t kIndexMask = (1u << kIndexBits) - 1;

  static uint32_t add(HostObject* object, HostKind kind);
  static void remove(uint32_t handle);
  // remove(handle) then add(object), in one step: the new handle of an object
  // whose old one must name nothing any more.
  static uint32_t renew(uint32_t handle, HostObject* object);

  // The live object of a handle, or nullptr for 0, stale and forged numbers.
  static HostObject* find(uint32_t handle) {
    uint32_t index = handle & kIndexMask;
    if (index == 0 || index >= size_) return nullptr;
    const Entry& e = entries_[index];
    return e.generation == (handle >> kIndexBits) ? e.object : nullptr;
  }
  static HostObject* find(uint32_t handle, HostKind kind) {
    HostObject* o = find(handle);
    return o && o->hostKind() == kind ? o : nullptr;
  }
  static std::size_t liveCount() { return live_; }

 private:
  struct Entry {
    HostObject* object;
    uint32_t generation;
    uint32_t nextFree;  // while free: the slot freed after this one
  };
  static void grow();

  // A plain array that lives until the process ends: host objects still alive at
  // exit stay reachable through it, and lookups cost one load and one compare.
  static Entry* entries_;
  static uint32_t size_;
  static uint32_t capacity_;
  static std::size_t live_;
  // Free slots wait in the order they were freed: a queue from freeHead_ to
  // freeTail_ through Entry::nextFree.
  static uint32_t freeHead_;
  static uint32_t freeTail_;
  static std::size_t freeCount_;
};

// Typed lookup: T names its family in `T::kHostKind`.
template <class T>
T* hostAs(uint32_t handle) {
  return static_cast<T*>(HostHandles::find(handle, T::kHostKind));
}

}  // namespace zunka::vm
