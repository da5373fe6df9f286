#include "sound/wav_loader.h"

#include <algorithm>

#include "sound/little_endian.h"
#include "sound/sound_format.h"

namespace zunka::sound {
namespace {

constexpr std::string_view kFormatTag = "WAVEfmt ";
constexpr std::string_view kDataTag = "data";
constexpr size_t kFormatWordsSize = 20;
constexpr size_t kDataHeaderSize = 8;  // the tag and the chunk's length, which is not used

TWavLoader::Format readFormat(const uint8_t* at) {
  TWavLoader::Format f;
  f.chunkSize = readU32(at);
  f.format = readU16(at + 4);
  f.channels = readU16(at + 6);
  f.sampleRate = readU32(at + 8);
  f.averageByteRate = readU32(at + 12);
  f.blockAlign = readU16(at + 16);
  f.bitsPerSample = readU16(at + 18);
  return f;
}

bool convertible(const TWavLoader::Format& f) {
  if (f.sampleRate == 0 || f.sampleRate > uint32_t(kSampleRate)) return false;
  if (f.bitsPerSample != 8 && f.bitsPerSample != 16) return false;
  return f.blockAlign >= f.bitsPerSample / 8;
}

}  // namespace

TWavLoader TWavLoader::unopened() {
  TWavLoader w;
  w.fileNotOpened = true;
  return w;
}

TWavLoader TWavLoader::fromBytes(std::string_view file) {
  TWavLoader w;
  const auto* bytes = reinterpret_cast<const uint8_t*>(file.data());
  size_t formatAt = file.find(kFormatTag);
  size_t dataAt = file.find(kDataTag);
  w.formatMissing = formatAt == std::string_view::npos;
  w.dataMissing = dataAt == std::string_view::npos;
  if (w.formatMissing || w.dataMissing) return w;
  size_t wordsAt = formatAt + kFormatTag.size();
  size_t samplesAt = dataAt + kDataHeaderSize;
  if (file.size() < wordsAt + kFormatWordsSize || file.size() < samplesAt) {
    w.unusable = true;
    return w;
  }
  w.format_ = readFormat(bytes + wordsAt);
  if (!convertible(w.format_)) {
    w.unusable = true;
    return w;
  }
  w.convert(bytes + samplesAt, file.size() - samplesAt);
  return w;
}

void TWavLoader::convert(const uint8_t* samples, size_t length) {
  size_t frames = length / format_.blockAlign;
  size_t repeats = size_t(kSampleRate) / format_.sampleRate;
  if (frames > kMaxSamples / repeats) {
    unusable = true;
    return;
  }
  data_.resize(frames * repeats);
  uint8_t* out = data_.data();
  bool eightBit = format_.bitsPerSample == 8;
  for (size_t f = 0; f < frames; ++f) {
    const uint8_t* frame = samples + f * format_.blockAlign;
    int32_t value = eightBit ? (frame[0] - 128) * 256 : int16_t(readU16(frame));
    // Division rounds toward zero, so -255 ... 255 all come out as silence.
    auto byte = static_cast<uint8_t>(value / 256 + 128);
    for (size_t r = 0; r < repeats; ++r) *out++ = byte;
  }
}

TWavLoader TWavLoader::toneCopy() const {
  TWavLoader copy;
  copy.format_ = format_;
  size_t length = data_.size();
  int32_t width = 0;
  while ((size_t(1) << width) < length) ++width;
  copy.indexWidth_ = width;
  copy.data_.assign(size_t(1) << width, 128);
  // Everything from the last sample on stays silent.
  if (length > 1) std::copy(data_.begin(), data_.begin() + (length - 1), copy.data_.begin());
  return copy;
}

}  // namespace zunka::sound
