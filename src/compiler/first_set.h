#pragma once
#include <cstdint>

namespace zunka {

// The set of bytes a lexical rule can start with: one bit per byte value, held in
// eight 32-bit words so that union and subset tests are eight word operations.
class TFirst {
 public:
  // Adds a byte; true when it was not in the set before.
  bool add(uint8_t byte) {
    uint32_t& word = words_[byte >> 5];
    uint32_t bit = 1u << (byte & 31);
    bool added = (word & bit) == 0;
    word |= bit;
    return added;
  }
  bool has(uint8_t byte) const { return (words_[byte >> 5] >> (byte & 31)) & 1u; }
  bool isSubsetOf(const TFirst& other) const {
    for (int i = 0; i < kWords; ++i)
      if (words_[i] & ~other.words_[i]) return false;
    return true;
  }
  // Unites `other` into this set; true when anything was added.
  bool unite(const TFirst& other) {
    uint32_t added = 0;
    for (int i = 0; i < kWords; ++i) {
      added |= other.words_[i] & ~words_[i];
      words_[i] |= other.words_[i];
    }
    return added != 0;
  }

 private:
  static constexpr int kWords = 8;
  uint32_t words_[kWords] = {};
};

}  // namespace zunka
