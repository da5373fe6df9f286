#include <cstdint>
#include <string>

#include "platform/image_file.h"

namespace zunka::platform {

std::string encodeBitmap(const Image& image) {
  auto put = [](std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(char(value >> (8 * i) & 0xFF));
  };
  uint32_t rowBytes = (uint32_t(image.width) * 3 + 3) & ~3u;
  uint32_t pixelBytes = rowBytes * uint32_t(image.height);
  std::string out;
  out.reserve(54 + pixelBytes);
  out += "BM";
  put(out, 54 + pixelBytes, 4);
  put(out, 0, 4);
  put(out, 54, 4);  // where the pixels start
  put(out, 40, 4);  // the info header's size
  put(out, uint32_t(image.width), 4);
  put(out, uint32_t(image.height), 4);
  put(out, 1, 2);   // planes
  put(out, 24, 2);  // bits per pixel
  put(out, 0, 4);   // no compression
  put(out, pixelBytes, 4);
  put(out, 2835, 4);  // 72 dots per inch, both ways
  put(out, 2835, 4);
  put(out, 0, 4);
  put(out, 0, 4);
  for (int32_t y = image.height - 1; y >= 0; --y) {
    const uint32_t* row = image.pixels.data() + size_t(y) * size_t(image.width);
    for (int32_t x = 0; x < image.width; ++x) {
      out.push_back(char(row[x] & 0xFF));
      out.push_back(char(row[x] >> 8 & 0xFF));
      out.push_back(char(row[x] >> 16 & 0xFF));
    }
    out.append(rowBytes - uint32_t(image.width) * 3, '\0');
  }
  return out;
}

}  // namespace zunka::platform
