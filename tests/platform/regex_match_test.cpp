#include <gtest/gtest.h>

#include <random>

#include "platform/regex_engine.h"
#include "support/perl_oracle.h"

using namespace zunka::platform;

namespace {

const char kGlobalNamePattern[] = "/^\\$([\\_A-Za-z0-9]|([\\x80-\\x9f\\xa0-\\xff].))*$/";

std::vector<std::string> groupsOf(std::string_view expression, std::string_view text) {
  std::vector<std::string> groups;
  if (!regexMatch(expression, text, groups)) return {"(no match)"};
  return groups;
}

bool matches(std::string_view expression, std::string_view text) {
  std::vector<std::string> groups;
  return regexMatch(expression, text, groups);
}

std::string errorOf(std::string_view expression) {
  try {
    matches(expression, "x");
  } catch (const RegexError& error) {
    return error.what();
  }
  return "(no error)";
}

}  // namespace

// The number check of valueOf: a float needs digits after the point; $ also
// accepts one final line feed, as in Perl.
TEST(RegexMatch, NumberPatterns) {
  const char* floatPattern = "/^-?[0-9]*\\.[0-9]+$/";
  for (const char* yes : {".5", "-1.25", "3.0", "1.5\n"})
    EXPECT_TRUE(matches(floatPattern, yes)) << yes;
  for (const char* no : {"", "1.", "-12", "1e3", "1.5\n\n", "１.５"})
    EXPECT_FALSE(matches(floatPattern, no)) << no;
  EXPECT_TRUE(matches("/^-?[0-9]+$/", "-12"));
  EXPECT_FALSE(matches("/^-?[0-9]+$/", "1 2"));
}

TEST(RegexMatch, GroupsOfTheTagAndNameReaders) {
  EXPECT_EQ(groupsOf("/<([\\w\\d]*)/", "<class src=\"a\">"),
            (std::vector<std::string>{"<class", "class"}));
  EXPECT_EQ(groupsOf("/([\\w\\d]*)=\"([^\"]*)\"/", " name=\"表\\示\" x"),
            (std::vector<std::string>{"name=\"表\\示\"", "name", "表\\示"}));
  EXPECT_EQ(groupsOf("/^const_(.*)/", "const_speed"),
            (std::vector<std::string>{"const_speed", "speed"}));
  EXPECT_EQ(groupsOf("/\\_([0-9][0-9]*)$/", "Enemy_12"), (std::vector<std::string>{"_12", "12"}));
  EXPECT_EQ(groupsOf("/(a)|(b)/", "b"), (std::vector<std::string>{"b", "", "b"}));
  EXPECT_EQ(groupsOf("/\\/>$/", "<a/>"), (std::vector<std::string>{"/>"}));
  EXPECT_EQ(groupsOf("/z/", "abc"), (std::vector<std::string>{"(no match)"}));
  EXPECT_TRUE(matches("/^[a-zA-Z]\\:\\\\/", "C:\\表"));
  EXPECT_TRUE(matches("/^\\\\/", "\\表"));
  EXPECT_FALSE(matches("/^\\\\/", "表\\"));  // 表 ends in the byte of '\', which is no backslash
}

TEST(RegexMatch, FlagsAndDelimiters) {
  EXPECT_TRUE(matches("/ABC/i", "xabcx"));
  EXPECT_TRUE(matches("/^b/m", "a\nb"));
  EXPECT_FALSE(matches("/^b/", "a\nb"));
  EXPECT_TRUE(matches("/a.b/s", "a\nb"));
  EXPECT_TRUE(matches("m#a/b#", "a/b"));
  EXPECT_TRUE(matches("/a b/x", "ab"));
  EXPECT_TRUE(matches("/a\\/b/", "a/b"));
}

// The pattern is matched byte-wise, exactly as written; the helper must agree with
// it and with perl, which sees the same bytes.
TEST(RegexMatch, GlobalNameCheckAgreesWithItsPatternAndPerl) {
  const char* names[] = {"$abc",
                         "$_1",
                         "$表示",
                         "$",
                         "abc",
                         "$a-b",
                         "$表x",
                         "$\x95",
                         "$a\n",
                         "$a\n\n",
                         "$\x95\n",
                         "$ｱ",
                         "$ｱｲ",
                         "$\x81$",
                         "$ab c",
                         "",
                         "$\xFF\xFF",
                         "$\x80"
                         "A"};
  for (const char* name : names) {
    bool expected = perlMatches(kGlobalNamePattern, name, false);
    EXPECT_EQ(matches(kGlobalNamePattern, name), expected) << name;
    EXPECT_EQ(isValidGlobalName(name), expected) << name;
  }
}

TEST(RegexMatch, GlobalNameHelperAgreesWithPatternOnRandomNames) {
  const char alphabet[] = {'$', 'a',    'Z',    '_',    '0',    '-',   '\n',
                           ' ', '\x81', '\x95', '\x5C', '\xA1', '\xFF'};
  std::mt19937 random(1210);
  for (int n = 0; n < 3000; ++n) {
    std::string name = random() % 4 ? "$" : "";
    for (size_t length = random() % 6; length > 0; --length)
      name += alphabet[random() % sizeof alphabet];
    ASSERT_EQ(isValidGlobalName(name), matches(kGlobalNamePattern, name)) << name;
  }
}

// Double-byte characters in a byte pattern are matched as their two bytes, whole.
TEST(RegexMatch, BytePatternsKeepTheirDoubleByteCharacters) {
  EXPECT_TRUE(matches("/^[\\x80-\\xff]?表+$/", "表表"));
  EXPECT_TRUE(matches("/^\\xff[表]$/", "\xFF\x95"));  // inside a class: either byte
  EXPECT_FALSE(matches("/^\\xff\\表$/", "\xFF\\"));
}

TEST(RegexMatch, MalformedExpressionsRaiseTheEnginesMessage) {
  EXPECT_EQ(errorOf("/(a/"), "missing closing parenthesis in /(a/");
  EXPECT_EQ(errorOf("/a"), "missing closing delimiter in /a");
  EXPECT_EQ(errorOf("abc"), "not a regular expression in abc");
  EXPECT_EQ(errorOf("/a/q"), "unknown flag in /a/q");
  EXPECT_EQ(errorOf("s/a/b/"), "not a match expression in s/a/b/");
  EXPECT_EQ(errorOf("/表(/"), "missing closing parenthesis in /表(/");
  EXPECT_THROW(regexSubstitute("/a/", "a"), RegexError);
  EXPECT_THROW(regexSplit("s/a/b/", "a", 0), RegexError);
}
