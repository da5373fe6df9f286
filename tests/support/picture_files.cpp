#include "support/picture_files.h"

namespace zunka::testing {
namespace {

void put(std::string& s, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s += char(v >> (8 * i) & 0xFF);
}

void set(platform::Image& image, int x, int y, uint32_t rgb) {
  image.pixels[size_t(y) * size_t(image.width) + size_t(x)] = 0xFF000000u | rgb;
}

}  // namespace

platform::Image plainPicture(int width, int height, uint32_t rgb) {
  platform::Image image;
  image.width = width;
  image.height = height;
  image.pixels.assign(size_t(width) * size_t(height), 0xFF000000u | rgb);
  return image;
}

void drawFramedPicture(platform::Image& image, int x0, int y0, int w, int h, uint32_t frameRgb,
                       uint32_t fillRgb) {
  for (int y = y0; y <= y0 + h + 1; ++y)
    for (int x = x0; x <= x0 + w + 1; ++x) {
      bool border = x == x0 || y == y0 || x == x0 + w + 1 || y == y0 + h + 1;
      set(image, x, y, border ? frameRgb : fillRgb);
    }
}

std::string bitmapFile(const platform::Image& image) {
  size_t stride = (size_t(image.width) * 3 + 3) / 4 * 4;
  std::string body;
  for (int y = image.height - 1; y >= 0; --y) {
    std::string row;
    for (int x = 0; x < image.width; ++x)
      put(row, image.pixels[size_t(y) * size_t(image.width) + size_t(x)] & 0xFFFFFF, 3);
    row.resize(stride, '\0');
    body += row;
  }
  std::string file = "BM";
  put(file, uint32_t(54 + body.size()), 4);
  put(file, 0, 4);
  put(file, 54, 4);
  put(file, 40, 4);
  put(file, uint32_t(image.width), 4);
  put(file, uint32_t(image.height), 4);
  put(file, 1, 2);
  put(file, 24, 2);
  put(file, 0, 4);
  put(file, uint32_t(body.size()), 4);
  put(file, 2835, 4);
  put(file, 2835, 4);
  put(file, 0, 4);
  put(file, 0, 4);
  return file + body;
}

}  // namespace zunka::testing
