#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

// A WAV file converted to the form effects and sampled tones are mixed from:
// the first channel only, 8-bit unsigned (128 is silence), 44,100 samples per
// second.
namespace zunka::sound {

class TWavLoader {
 public:
  // The format words that follow "WAVEfmt ".
  struct Format {
    uint32_t chunkSize = 0;
    uint16_t format = 0;
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t averageByteRate = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
  };

  // Converts the bytes of a WAV file. The chunks are found by their tags
  // anywhere in the file; the samples run from 8 bytes after "data" to the end
  // of the file, and each input frame is repeated 44100 / rate times.
  static TWavLoader fromBytes(std::string_view file);
  // The loader of a file that could not be opened.
  static TWavLoader unopened();

  // A copy to play as a sampled tone: its length rounded up to a power of two
  // (whose exponent is the index width) and everything from the last sample on
  // silent, so that a one-shot tone comes to rest on silence.
  TWavLoader toneCopy() const;

  bool hasError() const { return fileNotOpened || formatMissing || dataMissing || unusable; }

  const std::vector<uint8_t>& data() const { return data_; }
  int32_t length() const { return static_cast<int32_t>(data_.size()); }
  int32_t indexWidth() const { return indexWidth_; }
  const Format& format() const { return format_; }

  bool fileNotOpened = false;
  bool formatMissing = false;  // no "WAVEfmt "
  bool dataMissing = false;    // no "data"
  // Found, but not convertible: a rate of 0 or above 44,100 Hz, a block align of
  // 0 or too small for one sample, a sample size other than 8 or 16 bits, a chunk
  // header cut off by the end of the file, or a result too long to keep.
  bool unusable = false;

  // A converted sample longer than this (about 25 minutes) is unusable: a tiny
  // rate would otherwise blow a small file up by up to 44,100 times.
  static constexpr size_t kMaxSamples = size_t(1) << 26;

 private:
  void convert(const uint8_t* samples, size_t length);

  Format format_;
  std::vector<uint8_t> data_;
  int32_t indexWidth_ = 0;
};

}  // namespace zunka::sound
