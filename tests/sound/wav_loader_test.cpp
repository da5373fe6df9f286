// WAV conversion, on files written by Python's wave module where it can write
// them, and on hand-made damaged ones.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sound/wav_loader.h"
#include "sound_test_support.h"
#include "support/host_tool.h"

using namespace zunka;
using sound::TWavLoader;
using zunka::testing::wavFile;

namespace {

// A WAV file from Python's own writer: `frames` are the raw frame bytes.
std::string pythonWav(int channels, int width, int rate, const std::string& framesHex) {
  std::string script =
      "import io, sys, wave\n"
      "b = io.BytesIO()\n"
      "w = wave.open(b, 'wb')\n"
      "w.setnchannels(" +
      std::to_string(channels) +
      ")\n"
      "w.setsampwidth(" +
      std::to_string(width) +
      ")\n"
      "w.setframerate(" +
      std::to_string(rate) +
      ")\n"
      "w.writeframes(bytes.fromhex('" +
      framesHex +
      "'))\n"
      "w.close()\n"
      "sys.stdout.buffer.write(b.getvalue())\n";
  return runHostTool("python3", script);
}

std::vector<int> bytesOf(const TWavLoader& w) {
  return {w.data().begin(), w.data().end()};
}

TEST(WavLoader, EightBitAt22050HzIsDoubled) {
  TWavLoader w = TWavLoader::fromBytes(pythonWav(1, 1, 22050, "004080c8ff"));
  ASSERT_FALSE(w.hasError());
  EXPECT_EQ(bytesOf(w), (std::vector<int>{0, 0, 64, 64, 128, 128, 200, 200, 255, 255}));
  EXPECT_EQ(w.format().sampleRate, 22050u);
}

TEST(WavLoader, SixteenBitStereoKeepsTheFirstChannelRoundedTowardZero) {
  // Left samples -32768, -256, -255, 32767, 255, 256 (right ones ignored), at
  // 11,025 Hz: each four times; value / 256 toward zero, plus 128.
  std::string frames =
      "00800500"
      "00ff0700"
      "01ff0900"
      "ff7f0100"
      "ff000000"
      "00010000";
  TWavLoader w = TWavLoader::fromBytes(pythonWav(2, 2, 11025, frames));
  ASSERT_FALSE(w.hasError());
  std::vector<int> expected;
  for (int b : {0, 127, 128, 255, 128, 129}) expected.insert(expected.end(), 4, b);
  EXPECT_EQ(bytesOf(w), expected);
}

TEST(WavLoader, DamagedOrUnconvertibleFilesAreRefused) {
  std::string good = wavFile(1, 44100, 8, {1, 2, 3});
  auto withFormatWord = [&](size_t offset, std::string bytes) {
    std::string f = good;
    f.replace(16 + offset, bytes.size(), bytes);  // format words start 16 bytes in
    return f;
  };
  struct Case {
    const char* what;
    std::string file;
    bool TWavLoader::*flag;
  };
  std::vector<Case> cases = {
      {"no format", "RIFF....WAVEfxt data\1\2", &TWavLoader::formatMissing},
      {"no data", good.substr(0, 36), &TWavLoader::dataMissing},
      {"rate 0", withFormatWord(8, std::string(4, '\0')), &TWavLoader::unusable},
      {"rate 48000", withFormatWord(8, std::string("\x80\xbb\0\0", 4)), &TWavLoader::unusable},
      {"block align 0", withFormatWord(16, std::string(2, '\0')), &TWavLoader::unusable},
      {"align below sample", wavFile(1, 44100, 16, {1}).replace(32, 2, std::string("\1\0", 2)),
       &TWavLoader::unusable},
      {"24 bits", withFormatWord(18, std::string("\x18\0", 2)), &TWavLoader::unusable},
      {"format words cut", std::string("RIFFdata\0\0\0\0WAVEfmt \x10\0", 22),
       &TWavLoader::unusable},
      {"data header cut",
       "RIFF....WAVEfmt " + good.substr(20, 16) +
           "da"
           "ta\1",
       &TWavLoader::unusable},
  };
  for (const Case& c : cases) {
    TWavLoader w = TWavLoader::fromBytes(c.file);
    EXPECT_TRUE(w.*c.flag) << c.what;
    EXPECT_TRUE(w.hasError()) << c.what;
    EXPECT_TRUE(w.data().empty()) << c.what;
  }
  EXPECT_TRUE(TWavLoader::unopened().fileNotOpened);
  // At 1 Hz each frame would be repeated 44,100 times: 2,000 bytes would make 88
  // million samples.
  std::string slow = wavFile(1, 1, 8, std::vector<int>(2000, 7));
  EXPECT_TRUE(TWavLoader::fromBytes(slow).unusable);
  EXPECT_FALSE(TWavLoader::fromBytes(wavFile(1, 2, 8, std::vector<int>(200, 7))).hasError());
}

TEST(WavLoader, ToneCopyIsAPowerOfTwoLongAndSilentFromItsLastSample) {
  TWavLoader w = TWavLoader::fromBytes(wavFile(1, 44100, 8, {10, 20, 30, 40, 50}));
  TWavLoader tone = w.toneCopy();
  EXPECT_EQ(tone.indexWidth(), 3);
  EXPECT_EQ(bytesOf(tone), (std::vector<int>{10, 20, 30, 40, 128, 128, 128, 128}));
  TWavLoader eight = TWavLoader::fromBytes(wavFile(1, 44100, 8, std::vector<int>(8, 9)));
  EXPECT_EQ(eight.toneCopy().indexWidth(), 3);
  TWavLoader empty = TWavLoader::fromBytes(wavFile(1, 44100, 8, {}));
  ASSERT_FALSE(empty.hasError());
  EXPECT_EQ(bytesOf(empty.toneCopy()), std::vector<int>{128});
  EXPECT_EQ(empty.toneCopy().indexWidth(), 0);
}

}  // namespace
