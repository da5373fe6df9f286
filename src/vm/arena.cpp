#include "vm/arena.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "platform/virtual_memory.h"
#include "vm/errors.h"

#if defined(ZUNKA_ASAN)
#include <sanitizer/asan_interface.h>
#define POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define POISON(p, n) ((void)(p), (void)(n))
#define UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace zunka::vm {

std::byte* Arena::base_ = nullptr;
std::byte* Arena::quick_ = nullptr;
uint8_t* Arena::objectBits_ = nullptr;
uint64_t Arena::bump_ = 0;
int64_t Arena::liveBlocks_ = 0;
uint64_t Arena::liveBytes_ = 0;
uint64_t Arena::hostBytes_ = 0;
uint64_t Arena::peakBytes_ = 0;
uint64_t Arena::limit_ = Arena::kDefaultHeapLimit;

namespace {

constexpr uint32_t kSmallLimit = 4096;
constexpr uint32_t kSmallClasses = kSmallLimit / 8 + 1;
constexpr uint32_t kClassCount = kSmallClasses + 32;
constexpr uint64_t kUsableBytes = 1ull << 32;
// The first granules stay unused so that offset 0 never names a block.
constexpr uint64_t kFirstBlock = 64;
// What booting the kernel library carves from the arena, rounded up to pages.
constexpr std::size_t kBootBytes = 32 << 10;
// No single record comes near this; larger requests fail rather than overflow
// the size classes.
constexpr uint32_t kLargestBlock = 1u << 30;

Ref freeHeads[kClassCount];

uint32_t sizeClass(uint32_t bytes) {
  if (bytes <= kSmallLimit) return (bytes + 7) / 8;
  uint32_t shift = 32 - __builtin_clz(bytes - 1);  // next power of two
  return kSmallClasses + shift;
}

uint64_t classBytes(uint32_t cls) {
  if (cls < kSmallClasses) return uint64_t(cls) * 8;
  return 1ull << (cls - kSmallClasses);
}

}  // namespace

void Arena::initialize() {
  if (base_) return;
  base_ = static_cast<std::byte*>(platform::reserveLazyRegion(kReservedBytes));
  objectBits_ = static_cast<uint8_t*>(platform::reserveLazyRegion(kUsableBytes / 64));
  quick_ = static_cast<std::byte*>(platform::reserveLazyRegion(kReservedBytes));
  if (!base_ || !objectBits_ || !quick_) {
    std::fprintf(stderr, "zunka: cannot reserve the 4 GiB value arena\n");
    std::abort();
  }
  bump_ = kFirstBlock;
  // The kernel library's classes, their code and its quick form take the first
  // 20-odd KB at every start: mapped in one step rather than a fault per page.
  platform::prefaultPages(base_, kBootBytes);
  platform::prefaultPages(quick_, kBootBytes);
  platform::prefaultPages(objectBits_, 4096);
}

Ref Arena::allocate(uint32_t bytes) {
  if (!base_) initialize();
  if (bytes == 0) bytes = 8;
  if (bytes > kLargestBlock) throw std::bad_alloc();
  uint32_t cls = sizeClass(bytes);
  uint64_t size = classBytes(cls);
  admit(size);
  Ref head = freeHeads[cls];
  if (head) {
    std::byte* p = base_ + head;
    UNPOISON(p, size);
    Ref next;
    std::memcpy(&next, p, sizeof next);
    // A free list is trusted only as far as it stays inside the carved area.
    freeHeads[cls] = (next < bump_ && (next & 7) == 0) ? next : 0;
    std::memset(p, 0, size);
    ++liveBlocks_;
    liveBytes_ += size;
    return head;
  }
  uint64_t at = (bump_ + 7) & ~7ull;
  if (size >= 4096) at = (at + 4095) & ~4095ull;  // big blocks start on a page
  if (at + size > kUsableBytes) throw std::bad_alloc();
  bump_ = at + size;
  ++liveBlocks_;
  liveBytes_ += size;
  return static_cast<Ref>(at);
}

void Arena::release(Ref block, uint32_t bytes) {
  if (!block) return;
  if (bytes == 0) bytes = 8;
  uint32_t cls = sizeClass(bytes);
  uint64_t size = classBytes(cls);
  std::byte* p = base_ + block;
  if (size >= 65536) platform::discardPages(p, size);
  std::memcpy(p, &freeHeads[cls], sizeof(Ref));
  freeHeads[cls] = block;
  POISON(p + sizeof(Ref), size - sizeof(Ref));
  --liveBlocks_;
  liveBytes_ -= size;
}

void Arena::allocateAndRelease(uint32_t bytes) {
  if (!base_) initialize();
  if (bytes == 0) bytes = 8;
  uint32_t cls = sizeClass(bytes);
  Ref head = cls < kSmallClasses ? freeHeads[cls] : 0;
  if (!head) {
    release(allocate(bytes), bytes);
    return;
  }
  // The head of the free list would be taken and go straight back: its link
  // trusted as allocate trusts it, its bytes zeroed but for the link.
  uint64_t size = classBytes(cls);
  admit(size);
  std::byte* p = base_ + head;
  UNPOISON(p, size);
  Ref next;
  std::memcpy(&next, p, sizeof next);
  if (!(next < bump_ && (next & 7) == 0)) next = 0;
  const uint64_t zero = 0;
  for (uint64_t at = 0; at < size; at += sizeof zero) std::memcpy(p + at, &zero, sizeof zero);
  std::memcpy(p, &next, sizeof next);
  POISON(p + sizeof(Ref), size - sizeof(Ref));
}

void Arena::admit(uint64_t bytes) {
  uint64_t after = heapBytes() + bytes;
  if (limit_ && after > limit_) throw ERuntimeError("メモリが足りません");
  if (after > peakBytes_) peakBytes_ = after;
}

void Arena::chargeHost(uint64_t bytes) {
  admit(bytes);
  hostBytes_ += bytes;
}

void Arena::refundHost(uint64_t bytes) {
  hostBytes_ -= std::min(bytes, hostBytes_);
}

void Arena::flagObject(Ref record, bool on) {
  uint32_t granule = record >> 3;
  uint8_t bit = uint8_t(1u << (granule & 7));
  if (on)
    objectBits_[granule >> 3] |= bit;
  else
    objectBits_[granule >> 3] &= uint8_t(~bit);
}

}  // namespace zunka::vm
