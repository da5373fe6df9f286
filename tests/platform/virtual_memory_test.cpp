#include "platform/virtual_memory.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstring>
#include <memory>
#include <vector>

namespace zunka::platform {
namespace {

long minorFaults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitizerAllocator = true;
#else
constexpr bool kSanitizerAllocator = false;
#endif

TEST(PrefaultHeap, SmallAllocationsAfterItTakeNoPageFaultsAndStayUsable) {
  if (kSanitizerAllocator) GTEST_SKIP() << "the sanitizer's allocator keeps no heap top";
  // Room for the blocks' own list first, so that it does not fault meanwhile.
  std::vector<std::unique_ptr<char[]>> blocks;
  blocks.reserve(4096);
  prefaultHeap(512 << 10);
  long before = minorFaults();
  for (int i = 0; i < 4096; ++i) {  // 256 KB in blocks of 64 bytes, each written whole
    blocks.emplace_back(new char[64]);
    std::memset(blocks.back().get(), i & 0xFF, 64);
  }
  long faults = minorFaults() - before;
  // Taken a page at a time, the same blocks cost some 64 faults.
  EXPECT_LT(faults, 8);
  for (int i = 0; i < 4096; i += 511) EXPECT_EQ(blocks[i][63], char(i & 0xFF));
}

TEST(PrefaultHeap, AnySizeLeavesTheAllocatorWorking) {
  for (size_t bytes : {size_t{0}, size_t{1}, size_t{4096}, size_t{3} << 20}) {
    prefaultHeap(bytes);
    auto big = std::make_unique<char[]>(1 << 20);
    big[(1 << 20) - 1] = 1;
    EXPECT_EQ(big[0], 0);
  }
}

TEST(PrefaultPages, ARegionMappedInOneStepTakesNoFaultsAndReadsAsZero) {
  constexpr size_t kBytes = 64 << 10;
  auto* region = static_cast<char*>(reserveLazyRegion(kBytes));
  ASSERT_NE(region, nullptr);
  prefaultPages(region, kBytes);
  long before = minorFaults();
  bool zero = true;
  for (size_t at = 0; at < kBytes; at += 4096) {
    zero = zero && region[at] == 0 && region[at + 4095] == 0;
    region[at] = 1;
  }
  // Page by page, the same writes cost 16 faults.
  EXPECT_LT(minorFaults() - before, 4);
  EXPECT_TRUE(zero);
  discardPages(region, kBytes);
  EXPECT_EQ(region[4096], 0);
}

}  // namespace
}  // namespace zunka::platform
