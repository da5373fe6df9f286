#include <gtest/gtest.h>

#include "platform/regex_engine.h"
#include "support/perl_oracle.h"

using zunka::platform::regexSplit;

namespace {

struct Case {
  const char* expression;
  const char* subject;
};

void expectSameAsPerl(const Case& c, int limit, bool characters) {
  SCOPED_TRACE(std::string(c.expression) + " on \"" + c.subject + "\" limit " +
               std::to_string(limit));
  EXPECT_EQ(regexSplit(c.expression, c.subject, limit),
            perlSplit(c.expression, c.subject, limit, characters));
}

}  // namespace

// Trailing empty fields go only without a limit; a positive limit leaves the rest in
// the last field; a leading empty field stays after a real separator.
TEST(RegexSplit, AgreesWithPerlAcrossLimits) {
  const Case cases[] = {
      {"/,/", "a,b,,c,,"}, {"/,/", ",a,b"},      {"/,/", "a,"},       {"/,/", ",,,"},
      {"/,/", "abc"},      {"/,/", ""},          {"//", "abc"},       {"/x*/", "axxbx"},
      {"/b/", "abc"},      {"/\\s+/", " a  b "}, {"/(?=b)/", "abab"}, {"/\\\\/", "dir\\sub\\"},
  };
  for (const Case& c : cases)
    for (int limit : {0, 1, 2, 3, 10, -1}) expectSameAsPerl(c, limit, false);
}

TEST(RegexSplit, CapturesAddFieldsLikePerl) {
  const Case cases[] = {
      {"/(,)/", "a,b,"},
      {"/(-)|(,)/", "a-b,c"},
      {"/(a)(x)?/", "bab"},
      {"/(,)/", ",a"},
  };
  for (const Case& c : cases)
    for (int limit : {0, 2, -1}) expectSameAsPerl(c, limit, false);
}

TEST(RegexSplit, LineStartPatternSplitsLinesLikePerl) {
  expectSameAsPerl({"/^/", "a\nb\nc"}, 0, false);
  expectSameAsPerl({"/^/", "a\n\nb\n"}, 0, false);
}

// A split on "A" must not cut 、 (81 41); a split on nothing yields whole characters.
TEST(RegexSplit, KeepsShiftJisCharactersWholeLikePerl) {
  const Case cases[] = {
      {"/A/", "、A、"},     {"/,/", "表,ソ,,能,"}, {"//", "あいｱ"},        {"/、/", "あ、い、う"},
      {"/\\\\/", "表\\示"}, {"/\\W/", "aアb"},     {"/(ー)/", "カーソル"},
  };
  for (const Case& c : cases)
    for (int limit : {0, 2}) expectSameAsPerl(c, limit, true);
}

TEST(RegexSplit, InvalidBytesTravelInsideFields) {
  EXPECT_EQ(regexSplit("/,/", "x\x81,y\xFF", 0), (std::vector<std::string>{"x\x81", "y\xFF"}));
  EXPECT_EQ(regexSplit("//", "a\x80", 0), (std::vector<std::string>{"a", "\x80"}));
}
