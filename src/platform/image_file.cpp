#include "platform/image_file.h"

#include <png.h>

#include <bit>
#include <cstring>

#include "platform/bmp_reader.h"

namespace zunka::platform {
bool imageSizeAccepted(int64_t width, int64_t height, std::string& error) {
  if (width <= 0 || height <= 0) {
    error = "the picture has no pixels (" + std::to_string(width) + " x " + std::to_string(height) +
            ")";
    return false;
  }
  if (width > kMaxImageSide || height > kMaxImageSide || width * height > kMaxImagePixels) {
    error =
        "the picture is too large (" + std::to_string(width) + " x " + std::to_string(height) + ")";
    return false;
  }
  return true;
}

namespace {

std::optional<Image> decodePng(std::string_view bytes, std::string& error) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) {
    error = std::string("not a readable PNG file: ") + png.message;
    return std::nullopt;
  }
  if (!imageSizeAccepted(png.width, png.height, error)) {
    png_image_free(&png);
    return std::nullopt;
  }
  // Blue, green, red, alpha in memory: 0xAARRGGBB as a little-endian word.
  png.format = PNG_FORMAT_BGRA;
  Image image;
  image.width = static_cast<int32_t>(png.width);
  image.height = static_cast<int32_t>(png.height);
  image.pixels.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
  if (!png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr)) {
    error = std::string("not a readable PNG file: ") + png.message;
    png_image_free(&png);
    return std::nullopt;
  }
  if constexpr (std::endian::native == std::endian::big) {
    for (uint32_t& p : image.pixels) p = __builtin_bswap32(p);
  }
  return image;
}

}  // namespace

std::string encodePng(const Image& image) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = uint32_t(image.width);
  png.height = uint32_t(image.height);
  png.format = PNG_FORMAT_BGRA;
  std::vector<uint32_t> pixels = image.pixels;
  if constexpr (std::endian::native == std::endian::big) {
    for (uint32_t& p : pixels) p = __builtin_bswap32(p);
  }
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&png, nullptr, &size, 0, pixels.data(), 0, nullptr)) return {};
  std::string bytes(size, '\0');
  if (!png_image_write_to_memory(&png, bytes.data(), &size, 0, pixels.data(), 0, nullptr))
    return {};
  bytes.resize(size);
  return bytes;
}

std::optional<Image> decodeImage(std::string_view bytes, std::string& error) {
  static constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (bytes.size() >= 8 && std::memcmp(bytes.data(), kPngSignature, 8) == 0)
    return decodePng(bytes, error);
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return decodeBmp(bytes, error);
  error = "not a PNG or BMP file";
  return std::nullopt;
}

}  // namespace zunka::platform
