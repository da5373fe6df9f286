#include <gtest/gtest.h>

#include "platform/regex_engine.h"
#include "support/perl_oracle.h"

using zunka::platform::regexSubstitute;

namespace {

struct Case {
  const char* expression;
  const char* subject;
  // The same expression in Perl's own syntax, where they differ: Perl reads "@a" in
  // a pattern as an array to interpolate, the service (having no arrays) as text.
  const char* perlExpression = nullptr;
};

void expectSameAsPerl(const Case& c, bool characters) {
  SCOPED_TRACE(std::string(c.expression) + " on \"" + c.subject + "\"");
  PerlSubstitution expected =
      perlSubstitute(c.perlExpression ? c.perlExpression : c.expression, c.subject, characters);
  zunka::platform::SubstitutionResult actual = regexSubstitute(c.expression, c.subject);
  EXPECT_EQ(actual.replacements > 0, expected.changed);
  EXPECT_EQ(actual.text, expected.text);
}

}  // namespace

// The system's own substitutions (file names, paths, separators) and the replacement
// forms Perl gives them, on ASCII text, where perl's byte view is the truth.
TEST(RegexSubstitute, AgreesWithPerlOnAsciiText) {
  const Case cases[] = {
      {"s/\\.\\./@/g", "..\\Usr\\..\\lib.zunka"},
      {"s/[^@a-zA-Z0-9_]//g", "@\\Usr\\classes\\My-Class 2.zunka", "s/[^\\@a-zA-Z0-9_]//g"},
      {"s/\\W/\\\\$&/", ","},
      {"s/\\W/\\\\$&/", "a.b|c"},
      {"s/\\W/\\\\$&/", "abc"},
      {"s/[^\\\\]*$//", "C:\\dir\\file.txt"},
      {"s/\\.[^.]*$//", "archive.tar.gz"},
      {"s/\\_[0-9][0-9]*$//", "Enemy_12"},
      {"s/\\\\//g", "a\\b\\c\\"},
      {"s/://g", "c:x:"},
      {"s/\\///g", "/a/b/"},
      {"s/(\\w+) (\\w+)/$2 $1/", "hello world"},
      {"s/(a)|(b)/[$1$2]/g", "abc"},
      {"s/(\\d+)/<${1}0>/g", "a1b22"},
      {"s/(\\d)/\\1\\1/g", "x1y2"},
      {"s/b/[$`|$']/", "abc"},
      {"s/(a)(b)?/[$+]/g", "aab"},
      {"s/a/\\n\\t\\x41\\101\\$\\@\\/\\q/", "a"},
      {"s/a/\\e\\cA\\o{102}\\x{43}\\0|/", "a"},
      {"s/(\\w+)/\\U$1\\E!/", "abc def"},
      {"s/(\\w+)/\\u\\L$1/g", "hELLO wORLD"},
      {"s/(\\w)(\\w*)/\\l$1\\U$2/g", "Ab Cd"},
      {"s/(.)/\\Q$1/g", "a.b*"},
      {"s/a/b/i", "AAA"},
      {"s/A.B/x/s", "A\nB"},
      {"s/ a b c # comment\n/X/x", "xabcx"},
      {"s/^/> /gm", "a\nb\n"},
      {"s/$/;/g", "a\nb\n"},
      {"s#/#|#g", "a/b/c"},
      {"s/(?<=a)b/X/g", "abab"},
      {"s/\\bx/Y/g", "x xx ax"},
      {"s/$/x/", ""},
      {"s/a/b/", "zzz"},
  };
  for (const Case& c : cases) expectSameAsPerl(c, false);
}

// A pattern that can match nothing: after an empty match the next match may not be
// empty at the same place, so every position is visited once.
TEST(RegexSubstitute, EmptyMatchesAdvanceLikePerl) {
  const Case cases[] = {
      {"s/x*/-/g", "abc"},     {"s/x*/-/g", "xab"},    {"s/x*/-/g", "abx"},     {"s/x*/-/g", ""},
      {"s/b*/[$&]/g", "abbc"}, {"s/\\b/|/g", "ab cd"}, {"s/(?=b)/^/g", "abab"}, {"s/x*/-/", "abc"},
  };
  for (const Case& c : cases) expectSameAsPerl(c, false);
}

// Shift_JIS subjects and patterns, compared with perl matching the same characters.
// A byte-blind engine fails each: 表 ends in '\', ア in 'A', 、 in 'A' as well.
TEST(RegexSubstitute, MatchesShiftJisCharactersLikePerl) {
  const Case cases[] = {
      {"s/\\\\//g", "表\\示\\ソ"},
      {"s/[^\\\\]*$//", "C:\\表示\\ソフト.txt"},
      {"s/A/x/g", "ア、A表"},
      {"s/\\W/\\\\$&/", "、"},
      {"s/\\W/\\\\$&/", "表"},
      {"s/(.)/<$1>/g", "表a、"},
      {"s/表+/X/", "表表示"},
      {"s/[表示]/-/g", "表示テスト"},
      {"s/\\w+/X/g", "abc表def"},
      {"s/./X/g", "ｱｲｳ"},
      {"s/(\\S+)$/[$1]/", "名前 ソフト"},
      {"s/ａ/x/gi", "ＡａA"},
      {"s/[^@a-zA-Z0-9_]//g", "..\\表\\能_1@.zunka", "s/[^\\@a-zA-Z0-9_]//g"},
      {"s/x*/-/g", "表示"},
      {"s/\\.\\./@/g", "..\\ソ..表"},
  };
  for (const Case& c : cases) expectSameAsPerl(c, true);
}

// A pattern written about bytes runs byte for byte, as perl runs it on bytes.
TEST(RegexSubstitute, BytePatternsAgreeWithPerlOnBytes) {
  const Case cases[] = {
      {"s/[\\x80-\\x9f\\xe0-\\xfc]./<$&>/g", "a表b能"},
      {"s/\\xff/!/g", "x\xFFy\xFF"},
  };
  for (const Case& c : cases) expectSameAsPerl(c, false);
}

// Text that is not valid Shift_JIS still works, and what is not replaced comes back
// byte for byte, even characters whose code does not survive a round trip.
TEST(RegexSubstitute, KeepsInvalidAndOddBytesExactly) {
  EXPECT_EQ(regexSubstitute("s/a/b/g",
                            "a\x80"
                            "a")
                .text,
            "b\x80"
            "b");
  EXPECT_EQ(regexSubstitute("s/./[$&]/g", "\xFF表").text, "[\xFF][表]");
  EXPECT_EQ(regexSubstitute("s/$/!/", "あ\x82").text, "あ\x82!");
  EXPECT_EQ(regexSubstitute("s/,/;/g", "x\x81,y").text, "x\x81;y");
  // ED 40 and FA 5C are the same character; converting back would give FA 5C.
  EXPECT_EQ(regexSubstitute("s/a/b/",
                            "\xED\x40"
                            "a")
                .text,
            "\xED\x40"
            "b");
  EXPECT_EQ(regexSubstitute("s/\\xff|表/X/g", "表\xFF").text, "XX");
}

TEST(RegexSubstitute, ReplacementEscapesMakeBytesAndCharacters) {
  EXPECT_EQ(regexSubstitute("s/a/\\x{8868}\\x95\\x5C/", "a").text, "表表");
  EXPECT_EQ(regexSubstitute("s/a/\\x{1F600}/", "a").text, "?");
  EXPECT_EQ(regexSubstitute("s/(.)/\\U$1/g", "aア表b").text, "Aア表B");  // trail bytes untouched
  EXPECT_EQ(regexSubstitute("s/a/$x$/", "a").text, "$x$");               // no variables here
}

TEST(RegexSubstitute, ReportsNoChangeAndCountsReplacements) {
  auto none = regexSubstitute("s/q/z/g", "abc");
  EXPECT_EQ(none.replacements, 0);
  EXPECT_EQ(none.text, "abc");
  EXPECT_EQ(regexSubstitute("s/b/b/g", "abcb").replacements, 2);
}
