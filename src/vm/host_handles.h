#pragma once
#include <cstddef>
#include <cstdint>

#include "vm/host_object.h"

namespace zunka::vm {

// Handle table for host objects. A handle is a slot index in the low 22 bits and
// the slot's generation in the high 10 bits; slots are reused oldest-first, so a
// stale handle only matches again after a thousand reuses of its slot, and even
// then the family check must pass.
//
// The table is reserved for every index a handle can hold (pages are backed only
// as slots come into use), and each slot keeps its generation and its object's
// family in one tag: a lookup is one masked load and one compare, with no bound to
// check and no visit to the object. Slot 0, and slots never used, answer to no
// handle (a used slot's generation is never 0; slot 0's tag matches none).
class HostHandles {
 public:
  static constexpr uint32_t kIndexBits = 22;
  static constexpr uint32_t kIndexMask = (1u << kIndexBits) - 1;

  // Reserves the table; done before main (and by the first add).
  static void initialize();
  static uint32_t add(HostObject* object, HostKind kind);
  static void remove(uint32_t handle);
  // remove(handle) then add(object), in one step: the new handle of an object
  // whose old one must name nothing any more.
  static uint32_t renew(uint32_t handle, HostObject* object);
  // The live object of a handle, or nullptr for 0, stale and forged numbers.
  static HostObject* find(uint32_t handle) {
    const Entry& e = entries_[handle & kIndexMask];
    return e.tag >> kKindBits == handle >> kIndexBits ? e.object : nullptr;
  }
  static HostObject* find(uint32_t handle, HostKind kind) {
    const Entry& e = entries_[handle & kIndexMask];
    return e.tag == tagOf(handle >> kIndexBits, kind) ? e.object : nullptr;
  }
  static std::size_t liveCount() { return live_; }

 private:
  static constexpr uint32_t kKindBits = 8;
  static constexpr uint32_t tagOf(uint32_t generation, HostKind kind) {
    return generation << kKindBits | uint32_t(kind);
  }
  struct Entry {
    HostObject* object;
    uint32_t tag;       // generation << kKindBits | the object's family
    uint32_t nextFree;  // while free: the slot freed after this one
  };
  static Entry* reserve();
  // Retires slot `index` (in use): a new generation, queued behind the free ones.
  [[gnu::always_inline]] static inline void retire(uint32_t index);

  // Lives until the process ends: host objects still alive at exit stay
  // reachable through it.
  static Entry* entries_;
  static uint32_t size_;  // slots ever used, slot 0 included
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
