#pragma once
#include <cstddef>

namespace zunka::platform {

// Reserves a zero-filled, readable and writable region whose pages are only backed
// by memory once touched. Returns nullptr when the host refuses.
void* reserveLazyRegion(std::size_t bytes);

// Gives the pages of a range back to the host; they read as zero afterwards.
void discardPages(void* start, std::size_t bytes);

}  // namespace zunka::platform
