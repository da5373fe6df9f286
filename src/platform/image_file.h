#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Picture files: PNG (through libpng) and Windows bitmaps (read here), decoded
// into plain 32-bit pixels for the renderer.
namespace zunka::platform {

// Width × height pixels, rows top-down, each 0xAARRGGBB in host byte order (the
// layout the compositor draws from). Colours are not premultiplied.
struct Image {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;
};

// The largest picture accepted: each side at most 16,384 pixels and at most 2^26
// pixels in all (256 MiB decoded). A header that claims more is refused before
// anything is allocated for it.
inline constexpr int32_t kMaxImageSide = 16384;
inline constexpr int64_t kMaxImagePixels = int64_t{1} << 26;

// True when a picture of `width` × `height` may be decoded; else `error` says why.
bool imageSizeAccepted(int64_t width, int64_t height, std::string& error);

// Decodes the bytes of a PNG or BMP file (told apart by their signature). On
// anything it cannot read (another format, a truncated or corrupt file, a size
// of 0 or past the limits, an unsupported kind of bitmap) it gives nothing and
// `error` says why in one line.
std::optional<Image> decodeImage(std::string_view bytes, std::string& error);

// The picture as the bytes of an RGBA PNG file; empty when it cannot be encoded.
std::string encodePng(const Image& image);

// The picture as the bytes of a 24-bit bottom-up bitmap file (alpha left out).
std::string encodeBitmap(const Image& image);

}  // namespace zunka::platform
