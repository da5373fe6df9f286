#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace zunka {

// A 64-bit digest (FNV-1a) of a file's bytes. The caches in `Temp` carry the
// digest of their whole content and of the source they were made from, so that a
// file cut short, flipped on disk or edited by hand is noticed and rebuilt from
// its source instead of being trusted byte for byte. It guards against accidents
// and casual edits, not against someone forging a cache on purpose: whoever can
// write `Temp` can as well edit the sources.
inline uint64_t ContentDigest(std::string_view bytes) {
  uint64_t hash = 14695981039346656037u;
  for (char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211u;
  }
  return hash;
}

// The digest as 16 lower-case hexadecimal digits.
inline std::string DigestText(uint64_t digest) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text(16, '0');
  for (int i = 15; i >= 0; --i, digest >>= 4) text[size_t(i)] = kDigits[digest & 15];
  return text;
}

}  // namespace zunka
