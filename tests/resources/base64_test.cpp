// Base64 against coreutils' base64, which nobody here wrote.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "resources/base64.h"
#include "support/host_tool.h"

using namespace zunka;

namespace {

std::string randomBytes(std::mt19937& random, size_t n) {
  std::string bytes(n, '\0');
  for (char& b : bytes) b = static_cast<char>(random() & 0xFF);
  return bytes;
}

}  // namespace

TEST(Base64, EncodesAsCoreutilsDoesAndDecodesWhatItWrites) {
  std::mt19937 random(15);
  for (size_t n : {0, 1, 2, 3, 4, 5, 6, 7, 31, 32, 33, 57, 58, 59, 100, 1000}) {
    std::string bytes = randomBytes(random, n);
    std::string expected = runHostTool("base64 -w 0", bytes);
    EXPECT_EQ(EncodeBase64(bytes), expected) << n;
    EXPECT_EQ(DecodeBase64(expected), bytes) << n;
    // coreutils' own wrapped form (76 columns, line ends) reads back the same.
    EXPECT_EQ(DecodeBase64(runHostTool("base64", bytes)), bytes) << n;
  }
  std::string every;
  for (int b = 0; b < 256; ++b) every.push_back(static_cast<char>(b));
  EXPECT_EQ(DecodeBase64(runHostTool("base64", every)), every);
  EXPECT_EQ(runHostTool("base64 -d", EncodeBase64(every)), every);
}

TEST(Base64, DecodingForgivesWhatPeopleTypeAndStopsAtPadding) {
  EXPECT_EQ(EncodeBase64("abc"), "YWJj");
  EXPECT_EQ(EncodeBase64("a"), "YQ==");
  EXPECT_EQ(DecodeBase64("YQ=="), "a");
  EXPECT_EQ(DecodeBase64("YQ"), "a");             // padding left out
  EXPECT_EQ(DecodeBase64(" Y W\r\nJj "), "abc");  // blanks and line ends skipped
  EXPECT_EQ(DecodeBase64("YQ==YWJj"), "a");       // nothing after the padding
  EXPECT_EQ(DecodeBase64("Y"), "");               // one character holds no byte
  EXPECT_EQ(DecodeBase64("\x80\xFF!*"), "");
  EXPECT_EQ(DecodeBase64(""), "");
}
