#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "resources/page_hash.h"
#include "support/temp_dir.h"
#include "vm/natives/math_natives.h"

using namespace zunka;
using namespace zunka::testing;

namespace {

// The page hash as its definition reads, with a generator of its own.
struct ReferenceHash {
  uint32_t s = 0;
  void seed(uint32_t v) { s = v ^ 123459876u; }
  uint32_t draw() {
    s = static_cast<uint32_t>(static_cast<uint64_t>(s) * 48828125u) & 0x3FFFFFFFu;
    return s;
  }
  int32_t of(const std::string& bytes) {
    uint32_t h = 0;
    for (size_t j = 0; j < bytes.size(); ++j) {
      seed(static_cast<uint32_t>(static_cast<unsigned char>(bytes[j]) * j));
      draw();
      uint32_t k = draw() / 357913941u + 1;
      for (uint32_t i = 0; i < k; ++i) h += draw();
    }
    return static_cast<int32_t>(h);
  }
};

}  // namespace

TEST(PageHash, FollowsTheDefinitionAndLeavesTheGeneratorWhereItEnds) {
  TempDir dir;
  std::string bytes = "<page>\r\n\x82\xa0\xff";  // bytes above 127 count unsigned
  std::string file = dir.write("stage.cmml", bytes);
  ReferenceHash reference;
  int32_t expected = reference.of(bytes);

  vm::random::setState(7);
  EXPECT_EQ(PageFileHash(file), expected);
  EXPECT_EQ(vm::random::state(), reference.s);
  EXPECT_NE(expected, 0);

  // The same file always hashes the same, whatever the generator held before.
  vm::random::setState(12345);
  EXPECT_EQ(PageFileHash(file), expected);
  // One byte changed changes the hash.
  std::string other = dir.write("other.cmml", "<page>\r\n\x82\xa0\xfe");
  EXPECT_NE(PageFileHash(other), expected);
}

TEST(PageHash, MissingFilesAndLibrariesHashToZeroAndSetsAddUp) {
  TempDir dir;
  std::string a = dir.write("a.cmml", "abc");
  std::string b = dir.write("b.zunka", "extends Object;");
  std::string lib = dir.write("mod.dll", "MZ");
  std::string upper = dir.write("MOD.DLL", "MZ");
  EXPECT_EQ(PageFileHash(dir.system() + "\\absent.cmml"), 0);
  EXPECT_EQ(PageFileHash(""), 0);
  EXPECT_EQ(PageFileHash(lib), 0);
  EXPECT_NE(PageFileHash(upper), 0);  // only the exact extension ".dll" is left out
  uint32_t sum = static_cast<uint32_t>(PageFileHash(a)) + static_cast<uint32_t>(PageFileHash(b));
  EXPECT_EQ(PageHash({a, b, lib}), static_cast<int32_t>(sum));
}

// Scripts see the generator where hashing a list leaves it, whatever files end
// the list: ones that hash (the last of them decides), empty ones, missing ones
// and libraries (which leave the generator alone).
TEST(PageHash, DrawingAsTheHashLeavesTheGeneratorWhereHashingTheListDoes) {
  TempDir dir;
  std::string a = dir.write("a.cmml", "abc");
  std::string b = dir.write("b.zunka", "extends Object;\r\n\x82\xa0");
  std::string empty = dir.write("empty.cmml", "");
  std::string lib = dir.write("mod.dll", "MZ");
  std::string missing = dir.system() + "\\absent.cmml";
  const std::vector<std::vector<std::string>> lists = {
      {a, b}, {b, a}, {a, b, empty, missing, lib}, {b, empty, a, missing}, {missing, empty, lib},
      {}};
  for (size_t i = 0; i < lists.size(); ++i) {
    SCOPED_TRACE(i);
    const std::vector<std::string>& files = lists[i];
    vm::random::setState(99);
    PageHash(files);
    uint32_t hashed = vm::random::state();
    vm::random::setState(99);
    DrawAsPageHash(files);
    EXPECT_EQ(vm::random::state(), hashed);
  }
}
