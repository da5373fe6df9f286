#include "platform/bmp_reader.h"

#include <bit>
#include <cstdint>
#include <vector>

namespace zunka::platform {
namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr size_t kCoreHeaderBytes = 12;  // OS/2: 16-bit sizes, 3-byte palette entries
constexpr size_t kInfoHeaderBytes = 40;
constexpr uint32_t kPlainRgb = 0;
constexpr uint32_t kBitFields = 3;
constexpr uint32_t kAlphaBitFields = 6;

uint32_t u16(std::string_view b, size_t at) {
  return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8;
}
uint32_t u32(std::string_view b, size_t at) {
  return u16(b, at) | u16(b, at + 2) << 16;
}

// One channel of a bit-field pixel scaled to 8 bits; `fallback` when the mask is empty.
uint32_t channel(uint32_t pixel, uint32_t mask, uint32_t fallback) {
  if (mask == 0) return fallback;
  int shift = std::countr_zero(mask);
  uint32_t bits = mask >> shift;
  uint32_t value = (pixel & mask) >> shift;
  int width = std::bit_width(bits);
  return width >= 8 ? value >> (width - 8) : value * 255 / bits;
}

struct Layout {
  int64_t width = 0;
  int64_t height = 0;  // positive; `topDown` tells the row order
  bool topDown = false;
  uint32_t bitCount = 0;
  uint32_t compression = kPlainRgb;
  uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
  size_t paletteAt = 0;
  size_t paletteEntryBytes = 4;
  uint32_t paletteCount = 0;
  size_t pixelsAt = 0;
};

bool fail(std::string& error, std::string why) {
  error = "not a readable BMP file: " + std::move(why);
  return false;
}

bool readLayout(std::string_view b, Layout& l, std::string& error) {
  if (b.size() < kFileHeaderBytes + 4) return fail(error, "truncated header");
  l.pixelsAt = u32(b, 10);
  size_t headerBytes = u32(b, kFileHeaderBytes);
  size_t h = kFileHeaderBytes;
  if (headerBytes == kCoreHeaderBytes) {
    if (b.size() < h + kCoreHeaderBytes) return fail(error, "truncated header");
    l.width = u16(b, h + 4);
    l.height = u16(b, h + 6);
    l.bitCount = u16(b, h + 10);
    l.paletteEntryBytes = 3;
  } else if (headerBytes >= kInfoHeaderBytes && headerBytes <= 1024) {
    if (b.size() < h + headerBytes) return fail(error, "truncated header");
    l.width = int32_t(u32(b, h + 4));
    int64_t height = int32_t(u32(b, h + 8));
    l.topDown = height < 0;
    l.height = height < 0 ? -height : height;
    l.bitCount = u16(b, h + 14);
    l.compression = u32(b, h + 16);
    l.paletteCount = u32(b, h + 32);
    if (headerBytes >= 52) {
      for (int i = 0; i < 3; ++i) l.masks[i] = u32(b, h + 40 + 4 * size_t(i));
    }
    if (headerBytes >= 56) l.masks[3] = u32(b, h + 52);
  } else {
    return fail(error, "unknown header of " + std::to_string(headerBytes) + " bytes");
  }
  l.paletteAt = h + headerBytes;
  if (l.compression == kBitFields || l.compression == kAlphaBitFields) {
    if (l.bitCount != 16 && l.bitCount != 32) return fail(error, "bit fields need 16 or 32 bits");
    if (headerBytes == kInfoHeaderBytes) {
      // The masks follow the header.
      size_t count = l.compression == kAlphaBitFields ? 4 : 3;
      if (b.size() < l.paletteAt + 4 * count) return fail(error, "truncated bit fields");
      for (size_t i = 0; i < count; ++i) l.masks[i] = u32(b, l.paletteAt + 4 * i);
      l.paletteAt += 4 * count;
    }
  } else if (l.compression != kPlainRgb) {
    return fail(error, "compressed bitmaps are not supported");
  } else if (l.bitCount == 16) {
    l.masks[0] = 0x7C00, l.masks[1] = 0x03E0, l.masks[2] = 0x001F, l.masks[3] = 0;
  }
  switch (l.bitCount) {
    case 1:
    case 4:
    case 8:
      if (l.paletteCount == 0 || l.paletteCount > (1u << l.bitCount))
        l.paletteCount = 1u << l.bitCount;
      break;
    case 16:
    case 24:
    case 32:
      l.paletteCount = 0;
      break;
    default:
      return fail(error, std::to_string(l.bitCount) + " bits per pixel are not supported");
  }
  return true;
}

}  // namespace

std::optional<Image> decodeBmp(std::string_view b, std::string& error) {
  Layout l;
  if (!readLayout(b, l, error)) return std::nullopt;
  if (!imageSizeAccepted(l.width, l.height, error)) return std::nullopt;
  size_t stride = ((size_t(l.width) * l.bitCount + 31) / 32) * 4;
  size_t rows = size_t(l.height);
  if (l.pixelsAt > b.size() || (b.size() - l.pixelsAt) / stride < rows) {
    fail(error, "the pixels run past the end of the file");
    return std::nullopt;
  }

  // The palette as pixels; a palette cut short by the pixel offset or the file
  // reads as black beyond its end.
  std::vector<uint32_t> palette(l.paletteCount, 0xFF000000u);
  for (size_t i = 0; i < l.paletteCount; ++i) {
    size_t at = l.paletteAt + i * l.paletteEntryBytes;
    if (at + 3 > b.size() || (l.pixelsAt >= l.paletteAt && at + 3 > l.pixelsAt)) break;
    palette[i] = 0xFF000000u | uint32_t(uint8_t(b[at + 2])) << 16 |
                 uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at]));
  }
  auto fromPalette = [&](uint32_t index) {
    return index < palette.size() ? palette[index] : 0xFF000000u;
  };

  Image image;
  image.width = int32_t(l.width);
  image.height = int32_t(l.height);
  image.pixels.resize(size_t(l.width) * rows);
  bool alphaMask = l.masks[3] != 0;
  for (size_t y = 0; y < rows; ++y) {
    std::string_view row = b.substr(l.pixelsAt + y * stride, stride);
    uint32_t* out = image.pixels.data() + (l.topDown ? y : rows - 1 - y) * size_t(l.width);
    for (size_t x = 0; x < size_t(l.width); ++x) {
      switch (l.bitCount) {
        case 1:
          out[x] = fromPalette((uint8_t(row[x / 8]) >> (7 - x % 8)) & 1);
          break;
        case 4:
          out[x] = fromPalette((uint8_t(row[x / 2]) >> (x % 2 ? 0 : 4)) & 0xF);
          break;
        case 8:
          out[x] = fromPalette(uint8_t(row[x]));
          break;
        case 24:
          out[x] = 0xFF000000u | uint32_t(uint8_t(row[3 * x + 2])) << 16 |
                   uint32_t(uint8_t(row[3 * x + 1])) << 8 | uint32_t(uint8_t(row[3 * x]));
          break;
        case 16:
        case 32: {
          uint32_t p = l.bitCount == 16 ? u16(row, 2 * x) : u32(row, 4 * x);
          if (l.compression == kPlainRgb && l.bitCount == 32) {
            out[x] = 0xFF000000u | (p & 0xFFFFFF);
            break;
          }
          uint32_t a = alphaMask ? channel(p, l.masks[3], 255) : 255;
          out[x] = a << 24 | channel(p, l.masks[0], 0) << 16 | channel(p, l.masks[1], 0) << 8 |
                   channel(p, l.masks[2], 0);
          break;
        }
      }
    }
  }
  return image;
}

}  // namespace zunka::platform
