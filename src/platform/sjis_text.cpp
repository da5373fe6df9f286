#include "platform/sjis_text.h"

#include <iconv.h>
#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstring>
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

// Records, for the UTF-8 bytes utf8[u, uEnd) converted from the valid Shift_JIS bytes
// [s, sEnd), which Shift_JIS character each byte belongs to. Every character of code
// page 932 is exactly one code point, so the two texts walk in step.
void recordOffsets(std::string_view sjis, size_t s, size_t sEnd, const char* utf8, size_t u,
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

// What stands in the output for input that iconv rejects.
struct StandIn {
  size_t inputBytes;  // how much input it covers
  std::string bytes;
};

// Converts all of `input`, appending to `output`. The output is sized once for the
// worst case (worstRatio output bytes per input byte), so a rejected byte costs one
// more iconv call and never a copy of the rest. onChunk(inBegin, inEnd, outBegin,
// outEnd) sees every stretch iconv converted; onBad(position) gives the stand-in
// for the input iconv stopped at.
template <typename OnChunk, typename OnBad>
void convertAll(IconvHandle& handle, std::string_view input, size_t worstRatio, std::string& output,
                OnChunk onChunk, OnBad onBad) {
  size_t base = output.size();
  output.resize(base + input.size() * worstRatio);
  char* out = output.data() + base;
  size_t outLeft = input.size() * worstRatio;
  const char* in = input.data();
  size_t inLeft = input.size();
  while (inLeft > 0) {
    const char* chunkIn = in;
    char* chunkOut = out;
    size_t result = handle.convert(in, inLeft, out, outLeft);
    int error = errno;
    onChunk(static_cast<size_t>(chunkIn - input.data()), static_cast<size_t>(in - input.data()),
            chunkOut, out);
    if (result != kIconvFailed) continue;
    assert(error != E2BIG && "the output was sized for the worst case");
    (void)error;
    StandIn standIn = onBad(static_cast<size_t>(in - input.data()));
    assert(standIn.bytes.size() <= outLeft && standIn.inputBytes <= inLeft);
    out = std::copy(standIn.bytes.begin(), standIn.bytes.end(), out);
    outLeft -= standIn.bytes.size();
    in += standIn.inputBytes;
    inLeft -= standIn.inputBytes;
  }
  output.resize(static_cast<size_t>(out - output.data()));
}

// Length of a well-formed UTF-8 sequence at text[i], or 0 when it is malformed.
size_t wellFormedUtf8Length(std::string_view text, size_t i) {
  size_t bytes = utf8SequenceLength(static_cast<unsigned char>(text[i]));
  if (static_cast<unsigned char>(text[i]) >= 0x80 && bytes == 1) return 0;
  if (i + bytes > text.size() || (bytes > 1 && static_cast<unsigned char>(text[i]) < 0xC2))
    return 0;
  for (size_t k = 1; k < bytes; ++k)
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
  return bytes;
}

}  // namespace

void decodeSjis(std::string_view sjis, InvalidSjisByte form, std::string& utf8,
                std::vector<uint32_t>* offsets) {
  if (isAscii(sjis)) {
    // Both encodings keep ASCII as it is: the converter module is not even
    // loaded for a text that needs none (most of what scripts print).
    utf8 += sjis;
    if (offsets)
      for (uint32_t i = 0; i <= sjis.size(); ++i) offsets->push_back(i);
    return;
  }
  const bool privateUse = form == InvalidSjisByte::kPrivateUse;
  // A valid byte needs at most 3 UTF-8 bytes; a private-use stand-in needs 4.
  convertAll(
      sjisDecoder(), sjis, 4, utf8,
      [&](size_t inBegin, size_t inEnd, const char* outBegin, const char* outEnd) {
        if (offsets) recordOffsets(sjis, inBegin, inEnd, outBegin, 0, outEnd - outBegin, *offsets);
      },
      [&](size_t at) {
        StandIn standIn{1, {}};
        appendUtf8(standIn.bytes,
                   privateUse ? 0x10FF00u + static_cast<unsigned char>(sjis[at]) : 0xFFFDu);
        if (offsets)
          offsets->insert(offsets->end(), standIn.bytes.size(), static_cast<uint32_t>(at));
        return standIn;
      });
  if (offsets) offsets->push_back(static_cast<uint32_t>(sjis.size()));
}

std::string sjisToUtf8(std::string_view sjis) {
  std::string utf8;
  decodeSjis(sjis, InvalidSjisByte::kReplacementCharacter, utf8);
  return utf8;
}

std::string utf8ToSjis(std::string_view utf8) {
  if (isAscii(utf8)) return std::string(utf8);
  std::string sjis;
  // No character takes more Shift_JIS bytes than UTF-8 bytes, save ASCII at one each.
  convertAll(
      sjisEncoder(), utf8, 2, sjis, [](size_t, size_t, const char*, const char*) {},
      [&](size_t at) {
        size_t length = wellFormedUtf8Length(utf8, at);
        return StandIn{length ? length : 1, "?"};  // malformed: one '?' per byte
      });
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
