#include <gtest/gtest.h>

#include "platform/sjis_text.h"

namespace zunka::platform {
namespace {

TEST(SjisText, ConvertsDoubleByteAndHalfWidthCharacters) {
  // 表 and ソ end in 5C, the backslash byte; ｱ is a single byte.
  EXPECT_EQ(sjisToUtf8("x\x95\x5c\x83\x5c\xb1"), "x\xe8\xa1\xa8\xe3\x82\xbd\xef\xbd\xb1");
  EXPECT_EQ(sjisToUtf8(""), "");
}

TEST(SjisText, MarksInvalidBytesInsteadOfDroppingText) {
  EXPECT_EQ(sjisToUtf8("a\xff"
                       "b"),
            "a\xef\xbf\xbd"
            "b");
  EXPECT_EQ(sjisToUtf8("a\x81"), "a\xef\xbf\xbd");  // a lead byte cut off at the end
}

}  // namespace
}  // namespace zunka::platform
