#pragma once
#include <cstddef>

namespace zunka::platform {

// Reserves a zero-filled, readable and writable region whose pages are only backed
// by memory once touched. Returns nullptr when the host refuses.
void* reserveLazyRegion(std::size_t bytes);

// Under the leak checker, pointers kept in the region (a reserved one, which it
// does not scan by itself) keep what they point to reachable; elsewhere nothing.
void scanForLeakRoots(void* start, std::size_t bytes);

// Gives the pages of a range back to the host; they read as zero afterwards.
void discardPages(void* start, std::size_t bytes);

// Backs the pages of a range (page-aligned) with memory in one step, where the
// host can, instead of a page fault at each first touch.
void prefaultPages(void* start, std::size_t bytes);

// Maps the next `bytes` of the allocator's heap in one step. A process about to
// make thousands of small allocations (the kernel library's boot makes some
// 300 KB of them) otherwise takes its heap a page fault at a time, which on
// virtual machines costs more than the boot's own work; mapping the pages in
// one call costs about half. Does nothing where the C library or the host
// cannot do it (another C library, an older kernel, sanitizer builds).
void prefaultHeap(std::size_t bytes);

}  // namespace zunka::platform
