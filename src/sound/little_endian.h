#pragma once
#include <cstdint>

// Little-endian numbers inside untrusted byte data; callers check the bounds.
namespace zunka::sound {

inline uint16_t readU16(const uint8_t* at) {
  return static_cast<uint16_t>(at[0] | at[1] << 8);
}
inline uint32_t readU32(const uint8_t* at) {
  return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}
inline int32_t readI32(const uint8_t* at) {
  return static_cast<int32_t>(readU32(at));
}

}  // namespace zunka::sound
