#include "platform/sjis_text.h"

#include <cassert>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <stdexcept>

namespace zunka::platform {
namespace {

constexpr size_t kIconvFailed = static_cast<size_t>(-1);

// One conversion descriptor per direction and thread: opening one loads a
// converter module, far too slow to repeat for every short text.
class IconvHandle {
 public:
  IconvHandle(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1))
      throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
  }
  ~IconvHandle() { iconv_close(cd_); }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;

  // Converts as much as possible; in/out advance past what was done.
  size_t convert(const char*& in, size_t& inLeft, char*& out, size_t& outLeft) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    char* inPtr = const_cast<char*>(in);
    size_t result = iconv(cd_, &inPtr, &inLeft, &out, &outLeft);
    in = inPtr;
    return result;
  }

 private:
  iconv_t cd_;
};

IconvHandle& sjisDecoder() {
  thread_local IconvHandle handle("UTF-8", "CP932");
  return handle;
}

IconvHandle& sjisEncoder() {
  thread_local IconvHandle handle("CP932", "UTF-8");
  return handle;
}

size_t utf8SequenceLength(unsigned char lead) {
  return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

}  // namespace

void appendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

namespace {

// Records, for the UTF-8 bytes [u, uEnd) converted from the valid Shift_JIS bytes
// [s, sEnd), which Shift_JIS character each byte belongs to. Every character of code
// page 932 is exactly one code point, so the two texts walk in step.
void recordOffsets(std::string_view sjis, size_t s, size_t sEnd, std::string_view utf8, size_t u,
                   size_t uEnd, std::vector<uint32_t>& offsets) {
  while (s < sEnd) {
    size_t bytes = utf8SequenceLength(static_cast<unsigned char>(utf8[u]));
    for (size_t k = 0; k < bytes; ++k) offsets.push_back(static_cast<uint32_t>(s));
    u += bytes;
    s += sjisCharLength(sjis, s);
  }
  assert(s == sEnd && u == uEnd);
  (void)uEnd;
}

// Length of a well-formed UTF-8 sequence at text[i], or 0 when it is malformed.
size_t wellFormedUtf8Length(std::string_view text, size_t i) {
  size_t bytes = utf8SequenceLength(static_cast<unsigned char>(text[i]));
  if (static_cast<unsigned char>(text[i]) >= 0x80 && bytes == 1) return 0;
  if (i + bytes > text.size() || (bytes > 1 && static_cast<unsigned char>(text[i]) < 0xC2)) return 0;
  for (size_t k = 1; k < bytes; ++k)
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
  return bytes;
}

}  // namespace

void decodeSjis(std::string_view sjis, InvalidSjisByte form, std::string& utf8,
                std::vector<uint32_t>* offsets) {
  IconvHandle& decoder = sjisDecoder();
  const char* in = sjis.data();
  size_t inLeft = sjis.size();
  while (inLeft > 0) {
    size_t used = utf8.size();
    utf8.resize(used + inLeft * 3 + 4);  // a Shift_JIS byte never needs more than 3
    char* out = utf8.data() + used;
    size_t outLeft = utf8.size() - used;
    size_t chunkStart = static_cast<size_t>(in - sjis.data());
    size_t result = decoder.convert(in, inLeft, out, outLeft);
    int error = errno;
    size_t produced = static_cast<size_t>(out - utf8.data());
    utf8.resize(produced);
    size_t chunkEnd = static_cast<size_t>(in - sjis.data());
    if (offsets) recordOffsets(sjis, chunkStart, chunkEnd, utf8, used, produced, *offsets);
    if (result != kIconvFailed || error == E2BIG) continue;
    // EILSEQ or EINVAL: the byte at `in` starts no valid character.
    auto bad = static_cast<unsigned char>(*in);
    if (offsets) offsets->resize(offsets->size() + (form == InvalidSjisByte::kPrivateUse ? 4 : 3),
                                 static_cast<uint32_t>(chunkEnd));
    appendUtf8(utf8, form == InvalidSjisByte::kPrivateUse ? 0x10FF00u + bad : 0xFFFDu);
    ++in;
    --inLeft;
  }
  if (offsets) offsets->push_back(static_cast<uint32_t>(sjis.size()));
}

std::string sjisToUtf8(std::string_view sjis) {
  std::string utf8;
  decodeSjis(sjis, InvalidSjisByte::kReplacementCharacter, utf8);
  return utf8;
}

std::string utf8ToSjis(std::string_view utf8) {
  IconvHandle& encoder = sjisEncoder();
  std::string sjis;
  const char* in = utf8.data();
  size_t inLeft = utf8.size();
  while (inLeft > 0) {
    size_t used = sjis.size();
    sjis.resize(used + inLeft * 2 + 2);  // a UTF-8 byte never needs more than 2
    char* out = sjis.data() + used;
    size_t outLeft = sjis.size() - used;
    size_t result = encoder.convert(in, inLeft, out, outLeft);
    int error = errno;
    sjis.resize(static_cast<size_t>(out - sjis.data()));
    if (result != kIconvFailed || error == E2BIG) continue;
    size_t at = static_cast<size_t>(in - utf8.data());
    size_t skip = wellFormedUtf8Length(utf8, at);
    if (skip == 0) skip = 1;  // malformed: one '?' per byte
    sjis += '?';
    in += skip;
    inLeft -= skip;
  }
  return sjis;
}

bool isValidSjis(std::string_view text) {
  if (isAscii(text)) return true;
  IconvHandle& decoder = sjisDecoder();
  std::string scratch(text.size() * 3, '\0');
  const char* in = text.data();
  size_t inLeft = text.size();
  char* out = scratch.data();
  size_t outLeft = scratch.size();
  return decoder.convert(in, inLeft, out, outLeft) != kIconvFailed && inLeft == 0;
}

bool isAscii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

}  // namespace zunka::platform
