// Fuzz target: the picture readers (PNG and BMP) on arbitrary bytes. Besides
// memory safety it checks what a decoded picture promises: a size within the
// limits and exactly one pixel per position.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/image_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zunka::platform;
  std::string error;
  std::optional<Image> image =
      decodeImage(std::string_view(reinterpret_cast<const char*>(data), size), error);
  if (image) {
    bool inLimits = image->width > 0 && image->height > 0 && image->width <= kMaxImageSide &&
                    image->height <= kMaxImageSide;
    if (!inLimits || image->pixels.size() != size_t(image->width) * size_t(image->height))
      __builtin_trap();
  } else if (error.empty()) {
    __builtin_trap();
  }
  return 0;
}
