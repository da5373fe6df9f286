#include "resources/base64.h"

#include <array>
#include <cstdint>

namespace zunka {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The value of each alphabet character; -1 for every other byte.
constexpr std::array<int8_t, 256> decodingTable() {
  std::array<int8_t, 256> table{};
  for (int8_t& v : table) v = -1;
  for (int i = 0; i < 64; ++i) table[static_cast<unsigned char>(kAlphabet[i])] = int8_t(i);
  return table;
}
constexpr std::array<int8_t, 256> kValues = decodingTable();

}  // namespace

std::string EncodeBase64(std::string_view bytes) {
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    size_t n = bytes.size() - i < 3 ? bytes.size() - i : 3;
    uint32_t group = 0;
    for (size_t k = 0; k < 3; ++k)
      group = group << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
    for (size_t k = 0; k < 4; ++k)
      text.push_back(k <= n ? kAlphabet[group >> (18 - 6 * k) & 63] : '=');
  }
  return text;
}

std::string DecodeBase64(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size() / 4 * 3 + 2);
  uint32_t bits = 0;
  int held = 0;  // bits waiting in `bits`
  for (char c : text) {
    if (c == '=') break;
    int8_t v = kValues[static_cast<unsigned char>(c)];
    if (v < 0) continue;
    bits = (bits << 6 | uint32_t(v)) & 0xFFFFFF;
    held += 6;
    if (held >= 8) {
      held -= 8;
      bytes.push_back(static_cast<char>(bits >> held & 0xFF));
    }
  }
  return bytes;
}

}  // namespace zunka
