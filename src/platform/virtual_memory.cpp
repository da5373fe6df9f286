#include "platform/virtual_memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
#define ZUNKA_OWN_ALLOCATOR 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define ZUNKA_OWN_ALLOCATOR 0
#endif
#endif
#ifndef ZUNKA_OWN_ALLOCATOR
#define ZUNKA_OWN_ALLOCATOR 1
#endif
#if !ZUNKA_OWN_ALLOCATOR
#include <sanitizer/lsan_interface.h>
#endif

namespace zunka::platform {

void* reserveLazyRegion(std::size_t bytes) {
  void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                 MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  return p == MAP_FAILED ? nullptr : p;
}

void scanForLeakRoots(void* start, std::size_t bytes) {
#if ZUNKA_OWN_ALLOCATOR
  (void)start;
  (void)bytes;
#else
  __lsan_register_root_region(start, bytes);
#endif
}

void discardPages(void* start, std::size_t bytes) {
  madvise(start, bytes, MADV_DONTNEED);
}

void prefaultPages(void* start, std::size_t bytes) {
#if defined(__linux__)
  constexpr int kPopulateWrite = 23;      // MADV_POPULATE_WRITE, Linux 5.14
  madvise(start, bytes, kPopulateWrite);  // an older kernel refuses: pages come by fault
#else
  (void)start;
  (void)bytes;
#endif
}

void prefaultHeap(std::size_t bytes) {
#if defined(__GLIBC__) && defined(__linux__) && ZUNKA_OWN_ALLOCATOR
  constexpr uintptr_t kPage = 4096;
  // The block must come from the heap's top and stay there once freed: neither
  // mapped apart (the allocator's threshold for that is 128 KB by default) nor
  // handed back at once (its trim threshold).
  mallopt(M_MMAP_THRESHOLD, int(4 * bytes));
  mallopt(M_TRIM_THRESHOLD, int(8 * bytes));
  auto* block = static_cast<char*>(std::malloc(bytes));
  if (!block) return;
  auto top = reinterpret_cast<uintptr_t>(sbrk(0));
  uintptr_t from = (reinterpret_cast<uintptr_t>(block) + kPage - 1) & ~(kPage - 1);
  std::free(block);
  // Only when the block did lie at the heap's top, as the allocator does it today.
  if (from < top && top - from <= 2 * bytes)
    prefaultPages(reinterpret_cast<void*>(from), std::min<uintptr_t>(top - from, bytes));
#else
  (void)bytes;
#endif
}

}  // namespace zunka::platform
