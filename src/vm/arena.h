#pragma once
#include <cstddef>
#include <cstdint>

namespace zunka::vm {

// A 32-bit reference to a record in the value arena; 0 is "none".
using Ref = uint32_t;

// Every record that holds script values (object records, process stacks, global
// and array cells, compiled code) lives in one reserved 4 GiB region and is
// addressed by a 32-bit offset from its base. Values, frame records and code words
// are therefore 32 bits wide on a 64-bit host, and any offset a script could ever
// present still lies inside memory the player owns: a stale or forged reference can
// read nonsense but never reach outside the region.
//
// Blocks are carved by size class (multiples of 8 bytes up to 4 KiB, powers of two
// above) from a bump pointer and recycled through per-class free lists, so steady
// work allocates nothing from the host.
class Arena {
 public:
  static constexpr uint64_t kReservedBytes = (1ull << 32) + 65536;  // guard past 4 GiB

  static void initialize();
  static std::byte* base() { return base_; }

  // A zero-filled block of at least `bytes` bytes, 8-byte aligned.
  static Ref allocate(uint32_t bytes);
  // Gives a block back; `bytes` must be what was asked for.
  static void release(Ref block, uint32_t bytes);
  // Leaves the arena as allocate(bytes) followed at once by release would (the
  // same heap check, the same block carved when its free list is empty), for a
  // short-lived block that is no longer needed: later blocks keep their offsets.
  static void allocateAndRelease(uint32_t bytes);

  template <class T>
  static T* at(Ref ref) {
    return reinterpret_cast<T*>(base_ + ref);
  }
  static Ref refOf(const void* p) {
    return static_cast<Ref>(static_cast<const std::byte*>(p) - base_);
  }

  // Object records are flagged in a side bitmap (one bit per 8 bytes) so that a
  // reference claiming to be an object can be checked in a couple of instructions.
  static void flagObject(Ref record, bool on);
  static bool isObject(Ref ref) {
    if (ref & 7u) return false;
    uint32_t granule = ref >> 3;
    return (objectBits_[granule >> 3] >> (granule & 7)) & 1;
  }

  // A second region of the same size shadows the first, word for word, for
  // compiled code: the word at the same offset as an instruction holds the
  // interpreter's own faster form of it (see quick_code.h). It lets the
  // interpreter keep every code address it shows or stores in the block itself.
  static uint32_t* quickWords(Ref ref) { return reinterpret_cast<uint32_t*>(quick_ + ref); }
  static std::ptrdiff_t quickDistance() { return quick_ - base_; }

  static int64_t liveBlocks() { return liveBlocks_; }
  static uint64_t bytesInUse() { return bump_; }

  // The script heap: the live blocks of the arena (at their size class) and the
  // bytes scripts keep outside it (string bodies, hash-table entries), which are
  // charged here. It has a cap, so that a script that keeps growing its data ends
  // with "メモリが足りません" (a run-time error of the process that asked) instead
  // of driving the machine into swap. 0 means no cap.
  static constexpr uint64_t kDefaultHeapLimit = uint64_t(1) << 30;
  static uint64_t heapBytes() { return liveBytes_ + hostBytes_; }
  static uint64_t peakHeapBytes() { return peakBytes_; }
  static void resetPeakHeapBytes() { peakBytes_ = heapBytes(); }
  static uint64_t heapLimit() { return limit_; }
  static void setHeapLimit(uint64_t bytes) { limit_ = bytes; }
  // Charges `bytes` kept outside the arena; raises the memory error, charging
  // nothing, when they would take the heap past its cap.
  static void chargeHost(uint64_t bytes);
  static void refundHost(uint64_t bytes);

 private:
  static void admit(uint64_t bytes);

  static std::byte* base_;
  static std::byte* quick_;
  static uint8_t* objectBits_;
  static uint64_t bump_;
  static int64_t liveBlocks_;
  static uint64_t liveBytes_;
  static uint64_t hostBytes_;
  static uint64_t peakBytes_;
  static uint64_t limit_;
};

}  // namespace zunka::vm
