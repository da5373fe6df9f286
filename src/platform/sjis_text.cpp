#include "platform/sjis_text.h"

#include <iconv.h>

#include <cerrno>

namespace zunka::platform {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

class Converter {
 public:
  Converter() : cd_(iconv_open("UTF-8", "CP932")) {}
  ~Converter() {
    if (valid()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t handle() const { return cd_; }

 private:
  iconv_t cd_;
};

}  // namespace

std::string sjisToUtf8(std::string_view sjis) {
  Converter converter;
  std::string out;
  if (!converter.valid()) return std::string(sjis);
  char* in = const_cast<char*>(sjis.data());
  size_t inLeft = sjis.size();
  char buffer[256];
  while (inLeft > 0) {
    char* to = buffer;
    size_t toLeft = sizeof buffer;
    size_t rc = iconv(converter.handle(), &in, &inLeft, &to, &toLeft);
    out.append(buffer, to - buffer);
    if (rc != static_cast<size_t>(-1) || errno == E2BIG) continue;
    // An invalid or truncated sequence: mark it and resume after its first byte.
    out += kReplacement;
    ++in;
    --inLeft;
  }
  return out;
}

}  // namespace zunka::platform
