#include "platform/image_file.h"

#include <png.h>

#include <bit>
#include <cstring>

#include "platform/bmp_reader.h"
#include "platform/shared_library.h"

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

// libpng (and zlib under it) is opened on the first PNG file instead of being
// linked: runs without pictures (scripts, checks, most tests) never need it,
// and loading it is a good part of a short script's start.
static_assert(PNG_LIBPNG_VER_SONUM == 16,
              "the library's soname follows the header it is used with");
constexpr const char* kPngLibrary = "libpng16.so.16";

struct Png {
  decltype(&png_image_begin_read_from_memory) beginRead = nullptr;
  decltype(&png_image_finish_read) finishRead = nullptr;
  decltype(&png_image_write_to_memory) writeToMemory = nullptr;
  decltype(&png_image_free) free = nullptr;
  std::string error;  // why there are no functions
};

Png loadPng() {
  Png calls;
  SharedLibrary library = SharedLibrary::openHostFile(kPngLibrary, calls.error);
  if (!library.isOpen()) return calls;
  if (!library.bind(calls.beginRead, "png_image_begin_read_from_memory") ||
      !library.bind(calls.finishRead, "png_image_finish_read") ||
      !library.bind(calls.writeToMemory, "png_image_write_to_memory") ||
      !library.bind(calls.free, "png_image_free")) {
    calls = Png{};
    calls.error = std::string(kPngLibrary) + " lacks the simplified PNG functions";
  }
  return calls;
}

// The library's functions, or nothing with `error` saying why.
const Png* png(std::string& error) {
  static const Png loaded = loadPng();
  if (loaded.beginRead) return &loaded;
  error = "PNG files cannot be read or written: " + loaded.error;
  return nullptr;
}

std::optional<Image> decodePng(std::string_view bytes, std::string& error) {
  const Png* calls = png(error);
  if (!calls) return std::nullopt;
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!calls->beginRead(&png, bytes.data(), bytes.size())) {
    error = std::string("not a readable PNG file: ") + png.message;
    return std::nullopt;
  }
  if (!imageSizeAccepted(png.width, png.height, error)) {
    calls->free(&png);
    return std::nullopt;
  }
  // Blue, green, red, alpha in memory: 0xAARRGGBB as a little-endian word.
  png.format = PNG_FORMAT_BGRA;
  Image image;
  image.width = static_cast<int32_t>(png.width);
  image.height = static_cast<int32_t>(png.height);
  image.pixels.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
  if (!calls->finishRead(&png, nullptr, image.pixels.data(), 0, nullptr)) {
    error = std::string("not a readable PNG file: ") + png.message;
    calls->free(&png);
    return std::nullopt;
  }
  if constexpr (std::endian::native == std::endian::big) {
    for (uint32_t& p : image.pixels) p = __builtin_bswap32(p);
  }
  return image;
}

}  // namespace

std::string encodePng(const Image& image) {
  std::string error;
  const Png* calls = png(error);
  if (!calls) return {};
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
  if (!calls->writeToMemory(&png, nullptr, &size, 0, pixels.data(), 0, nullptr)) return {};
  std::string bytes(size, '\0');
  if (!calls->writeToMemory(&png, bytes.data(), &size, 0, pixels.data(), 0, nullptr)) return {};
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
