#pragma once
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace zunka {

// A 64-bit digest of a file's bytes. The caches in `Temp` carry the digest of
// their whole content and of the source they were made from, so that a file cut
// short, flipped on disk or edited by hand is noticed and rebuilt from its source
// instead of being trusted byte for byte. It guards against accidents and casual
// edits, not against someone forging a cache on purpose: whoever can write `Temp`
// can as well edit the sources. Every start digests each kernel class file (and
// each source its stamp cannot vouch for), so it takes eight bytes a step. A
// multiply carries a change only upwards (a flipped top bit stays one bit, which
// the next word could flip back), so each word is mixed by a multiply, a rotation
// that brings the high bits down, and a second multiply that spreads them again.
inline uint64_t ContentDigest(std::string_view bytes) {
  uint64_t hash = 14695981039346656037u ^ bytes.size();
  auto mix = [&hash](uint64_t word) {
    hash = (hash ^ word) * 0x9E3779B97F4A7C15u;
    hash = ((hash << 31) | (hash >> 33)) * 0xC2B2AE3D27D4EB4Fu;
  };
  size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes.data() + i, 8);
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
    mix(word);
  }
  uint64_t tail = 0;
  for (size_t b = 0; i + b < bytes.size(); ++b)
    tail |= uint64_t(static_cast<unsigned char>(bytes[i + b])) << (8 * b);
  mix(tail);
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
