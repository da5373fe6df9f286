#include <gtest/gtest.h>

#include "platform/sjis_text.h"
#include "support/host_tool.h"

using namespace zunka::platform;

namespace {

std::string bytes(std::u8string_view text) {
  return std::string(text.begin(), text.end());
}

// Narrow literals are compiled to code page 932, so they are Shift_JIS already.
const char* const kSjisSamples[] = {
    "",
    "plain ASCII ~\\ 0x7E and 0x5C",
    "表示",
    "ソフト\\表\\能力.txt",
    "、。・ー「」",
    "ｱｲｳｴｵ ﾊﾟﾝ",
    "①②Ⅲ㈱",
    "ａｂｃＡＢＣ",
    "ΑΒΓαβγАБВабв",
    "漢字とかなとカナ、ASCII混在",
};

}  // namespace

TEST(SjisText, DecodesLikeIconv) {
  for (const char* sample : kSjisSamples) {
    EXPECT_EQ(sjisToUtf8(sample), runHostTool("iconv -f CP932 -t UTF-8", sample)) << sample;
    EXPECT_TRUE(isValidSjis(sample)) << sample;
  }
}

TEST(SjisText, EncodesLikeIconv) {
  for (const char* sample : kSjisSamples) {
    std::string utf8 = runHostTool("iconv -f CP932 -t UTF-8", sample);
    EXPECT_EQ(utf8ToSjis(utf8), runHostTool("iconv -f UTF-8 -t CP932", utf8)) << sample;
    EXPECT_EQ(utf8ToSjis(utf8), sample);
  }
}

// ASCII text skips the converter: every byte below 0x80, NUL included, must still
// come out as iconv gives it, appended after what was there, with one offset each.
TEST(SjisText, EveryAsciiByteConvertsLikeIconvBothWays) {
  std::string ascii;
  for (int c = 0; c < 0x80; ++c) ascii += static_cast<char>(c);
  EXPECT_EQ(sjisToUtf8(ascii), runHostTool("iconv -f CP932 -t UTF-8", ascii));
  EXPECT_EQ(utf8ToSjis(ascii), runHostTool("iconv -f UTF-8 -t CP932", ascii));
  std::string utf8 = "before";
  std::vector<uint32_t> offsets{99};
  decodeSjis(ascii, InvalidSjisByte::kPrivateUse, utf8, &offsets);
  EXPECT_EQ(utf8, "before" + ascii);
  ASSERT_EQ(offsets.size(), ascii.size() + 2);
  for (uint32_t i = 0; i <= ascii.size(); ++i) EXPECT_EQ(offsets[i + 1], i);
}

TEST(SjisText, EveryDoubleByteCodeDecodesLikeIconvAndMapsBack) {
  std::string all;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead >= 0xA0 && lead < 0xE0) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
      if (isValidSjis(pair)) all += pair;
    }
  }
  ASSERT_GT(all.size(), 2 * 7000u);  // code page 932 has well over 7000 such characters
  EXPECT_EQ(sjisToUtf8(all), runHostTool("iconv -f CP932 -t UTF-8", all));
  std::string utf8;
  std::vector<uint32_t> offsets;
  decodeSjis(all, InvalidSjisByte::kPrivateUse, utf8, &offsets);
  ASSERT_EQ(offsets.size(), utf8.size() + 1);
  // One code point per character: every UTF-8 character start maps to the next pair.
  uint32_t expected = 0;
  for (size_t i = 0; i < utf8.size(); ++i) {
    if ((static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) continue;
    ASSERT_EQ(offsets[i], expected) << i;
    expected += 2;
  }
  EXPECT_EQ(offsets.back(), all.size());
}

TEST(SjisText, InvalidBytesStayVisible) {
  const std::string fffd = bytes(u8"\uFFFD");
  // 0x80, 0xA0 and 0xFD-0xFF start nothing; 0x81 before a line feed has no trail; a
  // lone lead byte at the end is cut short; 0x85 heads an unassigned row.
  EXPECT_EQ(sjisToUtf8("a\x80z"), "a" + fffd + "z");
  EXPECT_EQ(sjisToUtf8("\xA0\xFD\xFE\xFF"), fffd + fffd + fffd + fffd);
  EXPECT_EQ(sjisToUtf8("\x81\n"), fffd + "\n");
  EXPECT_EQ(sjisToUtf8("表\x82"), bytes(u8"表") + fffd);
  EXPECT_EQ(sjisToUtf8("\x85"
                       "A"),
            fffd + "A");
  for (const char* bad : {"a\x80z", "\xFF", "\x81\n", "表\x82",
                          "\x85"
                          "A"})
    EXPECT_FALSE(isValidSjis(bad)) << bad;
}

TEST(SjisText, PrivateUseFormKeepsEachBadByteDistinctAndMapped) {
  std::string utf8;
  std::vector<uint32_t> offsets;
  decodeSjis(
      "\x80"
      "表\xFF",
      InvalidSjisByte::kPrivateUse, utf8, &offsets);
  EXPECT_EQ(utf8, bytes(u8"\U0010FF80表\U0010FFFF"));
  std::vector<uint32_t> expected{0, 0, 0, 0, 1, 1, 1, 3, 3, 3, 3, 4};
  EXPECT_EQ(offsets, expected);
}

TEST(SjisText, UnmappableAndMalformedUtf8BecomeQuestionMarks) {
  std::string euro = bytes(u8"a€b"), emoji = bytes(u8"表😀");
  EXPECT_EQ(utf8ToSjis(euro), "a?b");                // no euro sign in code page 932
  EXPECT_EQ(utf8ToSjis(emoji), "表?");               // nor emoji
  EXPECT_EQ(utf8ToSjis("x\xC3(\xE8\xA1"), "x?(??");  // malformed: one ? per byte
  EXPECT_EQ(utf8ToSjis(""), "");
}

TEST(SjisText, CharacterLengthNeverStopsOnATrailByte) {
  std::string text = "a表ｱ\x81";  // ASCII, double-byte, half-width kana, lone lead at the end
  std::vector<size_t> starts;
  for (size_t i = 0; i < text.size(); i += sjisCharLength(text, i)) starts.push_back(i);
  EXPECT_EQ(starts, (std::vector<size_t>{0, 1, 3, 4}));
  EXPECT_TRUE(isSjisLeadByte(0x81) && isSjisLeadByte(0x9F) && isSjisLeadByte(0xE0) &&
              isSjisLeadByte(0xFC));
  EXPECT_FALSE(isSjisLeadByte(0x80) || isSjisLeadByte(0xA0) || isSjisLeadByte(0xDF) ||
               isSjisLeadByte(0xFD));
}

// Names compare and hash under foldAsciiCase: the hash is FNV-1a of the folded
// bytes, so that every pair of names that compare equal hash alike. Trail bytes in
// 'A'..'Z' (ア is 83 41) and a lone lead byte at the end are not letters to fold.
TEST(SjisText, FoldedNamesCompareAndHashAsTheirFoldedBytes) {
  auto fnv = [](std::string_view s) {
    uint64_t h = 14695981039346656037ull;
    for (char c : s) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return static_cast<size_t>(h);
  };
  const std::string names[] = {"",         "drawText", "DRAWTEXT",   "Draw_Text9",
                               "\x83\x41", "\x83\x61", "a\x83\x41Z", "A\x83\x41z",
                               "name\x83", "NAME\x83", "\x83",       "\xE0\x5A!"};
  for (const std::string& a : names) {
    EXPECT_EQ(foldedHash(a), fnv(foldAsciiCase(a))) << a;
    for (const std::string& b : names)
      EXPECT_EQ(sameFolded(a, b), foldAsciiCase(a) == foldAsciiCase(b)) << a << " / " << b;
  }
  EXPECT_TRUE(sameFolded("drawText", "DRAWTEXT"));
  EXPECT_FALSE(sameFolded("\x83\x41", "\x83\x61"));  // two different characters
  EXPECT_TRUE(sameFolded("name\x83", "NAME\x83"));
}
