#include "platform/image_file.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <string>
#include <vector>

using zunka::platform::decodeImage;
using zunka::platform::Image;

namespace {

// A small test picture: every pixel distinct, 0xAARRGGBB, opaque.
std::vector<uint32_t> testPixels(int width, int height) {
  std::vector<uint32_t> p;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      p.push_back(0xFF000000u | uint32_t(x * 40 + 3) << 16 | uint32_t(y * 50 + 7) << 8 |
                  uint32_t((x * 7 + y * 13) & 0xFF));
  return p;
}

void put16(std::string& s, uint32_t v) {
  s += char(v & 0xFF);
  s += char(v >> 8 & 0xFF);
}
void put32(std::string& s, uint32_t v) {
  put16(s, v & 0xFFFF);
  put16(s, v >> 16);
}

// A bitmap file with a 40-byte header (plus masks when given). For 1, 4 and 8
// bits, pixels are palette indices and `palette` is written; otherwise pixels are
// 0xAARRGGBB and packed by `bits` (16: 5-5-5 or the masks; 32: BGRA bytes).
std::string makeBmp(int width, int height, int bits, const std::vector<uint32_t>& pixels,
                    bool topDown, const std::vector<uint32_t>& palette = {},
                    const std::vector<uint32_t>& masks = {}) {
  std::string header, body;
  size_t stride = ((size_t(width) * bits + 31) / 32) * 4;
  for (int row = 0; row < height; ++row) {
    int y = topDown ? row : height - 1 - row;
    std::string line(stride, '\0');
    for (int x = 0; x < width; ++x) {
      uint32_t p = pixels[size_t(y) * width + x];
      switch (bits) {
        case 1:
          line[x / 8] = char(uint8_t(line[x / 8]) | (p & 1) << (7 - x % 8));
          break;
        case 4:
          line[x / 2] = char(uint8_t(line[x / 2]) | (p & 0xF) << (x % 2 ? 0 : 4));
          break;
        case 8:
          line[x] = char(p);
          break;
        case 16: {
          uint32_t v = (p >> 19 & 0x1F) << 10 | (p >> 11 & 0x1F) << 5 | (p >> 3 & 0x1F);
          line[2 * x] = char(v & 0xFF);
          line[2 * x + 1] = char(v >> 8);
          break;
        }
        case 24:
          line[3 * x] = char(p & 0xFF);
          line[3 * x + 1] = char(p >> 8 & 0xFF);
          line[3 * x + 2] = char(p >> 16 & 0xFF);
          break;
        case 32:
          for (int i = 0; i < 4; ++i) line[4 * x + i] = char(p >> (8 * i) & 0xFF);
          break;
      }
    }
    body += line;
  }
  std::string extra;
  for (uint32_t m : masks) put32(extra, m);
  for (uint32_t c : palette) put32(extra, c & 0xFFFFFF);
  size_t offset = 14 + 40 + extra.size();
  header = "BM";
  put32(header, uint32_t(offset + body.size()));
  put32(header, 0);
  put32(header, uint32_t(offset));
  put32(header, 40);
  put32(header, uint32_t(width));
  put32(header, uint32_t(topDown ? -height : height));
  put16(header, 1);
  put16(header, uint32_t(bits));
  put32(header, masks.empty() ? 0 : 3);
  put32(header, uint32_t(body.size()));
  put32(header, 2835);
  put32(header, 2835);
  put32(header, uint32_t(palette.size()));
  put32(header, 0);
  return header + extra + body;
}

// What SDL's own bitmap reader makes of the same bytes, as 0xAARRGGBB.
std::vector<uint32_t> sdlPixels(const std::string& bmp, int& width, int& height) {
  SDL_RWops* rw = SDL_RWFromConstMem(bmp.data(), int(bmp.size()));
  SDL_Surface* loaded = SDL_LoadBMP_RW(rw, 1);
  if (!loaded) return {};
  SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(loaded);
  width = argb->w;
  height = argb->h;
  std::vector<uint32_t> out;
  for (int y = 0; y < argb->h; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(argb->pixels) +
                                                        size_t(y) * argb->pitch);
    out.insert(out.end(), row, row + argb->w);
  }
  SDL_FreeSurface(argb);
  return out;
}

// The chunk checksum of PNG files (CRC-32, reflected, polynomial 0xEDB88320).
uint32_t crc32(std::string_view bytes) {
  uint32_t c = 0xFFFFFFFFu;
  for (char ch : bytes) {
    c ^= uint8_t(ch);
    for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
  }
  return c ^ 0xFFFFFFFFu;
}

Image decoded(const std::string& bytes) {
  std::string error;
  std::optional<Image> image = decodeImage(bytes, error);
  EXPECT_TRUE(image.has_value()) << error;
  return image.value_or(Image{});
}

TEST(BmpReader, EveryDepthAndRowOrderReadsAsSdlReadsIt) {
  const int width = 13, height = 5;  // rows padded, bytes of 1- and 4-bit rows split
  std::vector<uint32_t> rgb = testPixels(width, height);
  std::vector<uint32_t> palette;
  for (int i = 0; i < 256; ++i) palette.push_back(uint32_t(i * 0x010203) & 0xFFFFFF);
  std::vector<uint32_t> indices;
  for (int i = 0; i < width * height; ++i) indices.push_back(uint32_t(i * 37 % 256));
  for (bool topDown : {false, true}) {
    for (int bits : {1, 4, 8, 16, 24, 32}) {
      std::vector<uint32_t> source = rgb;
      std::vector<uint32_t> pal;
      if (bits <= 8) {
        pal.assign(palette.begin(), palette.begin() + (1 << bits));
        source = indices;
        for (uint32_t& p : source) p &= (1u << bits) - 1;
      }
      std::string bmp = makeBmp(width, height, bits, source, topDown, pal);
      int w = 0, h = 0;
      std::vector<uint32_t> expected = sdlPixels(bmp, w, h);
      ASSERT_EQ(w, width) << bits << " bits: " << SDL_GetError();
      Image image = decoded(bmp);
      EXPECT_EQ(image.width, width);
      EXPECT_EQ(image.height, height);
      EXPECT_EQ(image.pixels, expected) << bits << " bits, top-down " << topDown;
    }
  }
}

TEST(BmpReader, BitFieldsAndThePaddingByteOfPlain32BitPixels) {
  // Plain 32-bit: the fourth byte is padding, whatever it holds.
  std::vector<uint32_t> pixels = {0x00112233, 0x7F445566};
  Image plain = decoded(makeBmp(2, 1, 32, pixels, false));
  EXPECT_EQ(plain.pixels, (std::vector<uint32_t>{0xFF112233, 0xFF445566}));
  // 5-6-5 in 16 bits: full intensity stays full, zero stays zero.
  std::string bmp565;
  {
    std::vector<uint32_t> raw = {0xF800, 0x07E0, 0x001F, 0xFFFF};
    bmp565 = makeBmp(4, 1, 16, {0, 0, 0, 0}, false, {}, {0xF800, 0x07E0, 0x001F});
    size_t at = bmp565.size() - 8;
    for (uint32_t v : raw) {
      bmp565[at++] = char(v & 0xFF);
      bmp565[at++] = char(v >> 8);
    }
  }
  EXPECT_EQ(decoded(bmp565).pixels,
            (std::vector<uint32_t>{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}));
}

TEST(BmpReader, PaletteIndicesPastTheirPaletteReadAsBlack) {
  // A 2-colour palette declared for an 8-bit bitmap: index 5 has no colour.
  Image image = decoded(makeBmp(2, 1, 8, {1, 5}, false, {0x00FF00, 0x0000FF}));
  EXPECT_EQ(image.pixels, (std::vector<uint32_t>{0xFF0000FF, 0xFF000000}));
}

// Writes `pixels` (0xAARRGGBB) as an RGBA PNG with libpng's own writer.
std::string makePng(int width, int height, std::vector<uint32_t> pixels) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = uint32_t(width);
  png.height = uint32_t(height);
  png.format = PNG_FORMAT_BGRA;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&png, nullptr, &size, 0, pixels.data(), 0, nullptr);
  std::string out(size, '\0');
  EXPECT_TRUE(png_image_write_to_memory(&png, out.data(), &size, 0, pixels.data(), 0, nullptr));
  return out;
}

TEST(PngReader, ColourTypesComeOutAsStraightArgb) {
  std::vector<uint32_t> pixels = testPixels(7, 3);
  pixels[4] = 0x80FF0000;  // half-transparent red
  pixels[5] = 0x00000000;  // fully transparent
  Image image = decoded(makePng(7, 3, pixels));
  EXPECT_EQ(image.width, 7);
  EXPECT_EQ(image.height, 3);
  EXPECT_EQ(image.pixels, pixels);

  // Grey without alpha: one grey level per pixel, opaque.
  png_image grey;
  std::memset(&grey, 0, sizeof grey);
  grey.version = PNG_IMAGE_VERSION;
  grey.width = 3;
  grey.height = 1;
  grey.format = PNG_FORMAT_GRAY;
  uint8_t levels[3] = {0, 128, 255};
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&grey, nullptr, &size, 0, levels, 0, nullptr);
  std::string file(size, '\0');
  ASSERT_TRUE(png_image_write_to_memory(&grey, file.data(), &size, 0, levels, 0, nullptr));
  EXPECT_EQ(decoded(file).pixels, (std::vector<uint32_t>{0xFF000000, 0xFF808080, 0xFFFFFFFF}));
}

TEST(ImageFile, BrokenAndHostileFilesAreRefusedWithAReason) {
  std::string bmp = makeBmp(5, 4, 24, testPixels(5, 4), false);
  std::string png = makePng(5, 4, testPixels(5, 4));
  std::string error;
  // A truncated file fails with a reason, or (a PNG cut after its image data,
  // before the end marker) gives the whole picture: never a partial one.
  for (const std::string* file : {&bmp, &png}) {
    Image whole = decoded(*file);
    for (size_t n = 0; n < file->size(); ++n) {
      error.clear();
      std::optional<Image> cut = decodeImage(file->substr(0, n), error);
      if (cut) {
        EXPECT_EQ(cut->pixels, whole.pixels) << n;
        EXPECT_GE(n, file->size() - 12) << "only the end marker may be missing";
      } else {
        EXPECT_FALSE(error.empty()) << n;
      }
    }
    EXPECT_FALSE(decodeImage(file->substr(0, file->size() / 2), error));
  }
  auto refused = [&](std::string bytes) {
    error.clear();
    bool failed = !decodeImage(bytes, error);
    return failed ? error : std::string("decoded");
  };
  // A header claiming 100000 × 100000 pixels allocates nothing.
  std::string huge = bmp;
  std::memcpy(huge.data() + 18, "\xA0\x86\x01\x00\xA0\x86\x01\x00", 8);
  EXPECT_NE(refused(huge).find("too large"), std::string::npos);
  std::string hugePng = png;
  std::memcpy(hugePng.data() + 16, "\x00\x01\x86\xA0\x00\x01\x86\xA0", 8);
  uint32_t crc = crc32(std::string_view(hugePng).substr(12, 17));  // IHDR type and data
  for (int i = 0; i < 4; ++i) hugePng[29 + i] = char(crc >> (24 - 8 * i));
  EXPECT_NE(refused(hugePng).find("too large"), std::string::npos);
  std::string empty = bmp;
  std::memcpy(empty.data() + 18, "\x00\x00\x00\x00", 4);
  EXPECT_NE(refused(empty).find("no pixels"), std::string::npos);
  std::string farOffset = bmp;
  std::memcpy(farOffset.data() + 10, "\xFF\xFF\xFF\x7F", 4);
  EXPECT_NE(refused(farOffset).find("past the end"), std::string::npos);
  std::string rle = makeBmp(4, 1, 8, {0, 1, 2, 3}, false, {0, 1, 2, 3});
  rle[30] = 1;  // run-length compressed
  EXPECT_NE(refused(rle).find("compressed"), std::string::npos);
  std::string oddDepth = bmp;
  oddDepth[28] = 7;
  EXPECT_NE(refused(oddDepth).find("7 bits"), std::string::npos);
  EXPECT_EQ(refused("GIF89a"), "not a PNG or BMP file");
  EXPECT_EQ(refused(""), "not a PNG or BMP file");
}

}  // namespace
