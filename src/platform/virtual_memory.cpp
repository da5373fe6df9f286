#include "platform/virtual_memory.h"

#include <sys/mman.h>

namespace zunka::platform {

void* reserveLazyRegion(std::size_t bytes) {
  void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                 MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  return p == MAP_FAILED ? nullptr : p;
}

void discardPages(void* start, std::size_t bytes) {
  madvise(start, bytes, MADV_DONTNEED);
}

}  // namespace zunka::platform
