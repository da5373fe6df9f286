#include <gtest/gtest.h>

#include "vm/errors.h"
#include "vm/natives/regexp.h"

using zunka::EError;
using zunka::TBRegExp;

namespace {

// The message of the EError that `call` raises.
template <typename Call>
std::string errorOf(Call call) {
  try {
    call();
  } catch (const EError& error) {
    return error.message();
  }
  return "(no error)";
}

}  // namespace

TEST(TBRegExp, NothingToReadBeforeTheFirstCall) {
  TBRegExp re;
  EXPECT_EQ(errorOf([&] { re.count(); }), "no count now");
  EXPECT_EQ(errorOf([&] { re.at(0); }), "no strings now");
}

// Groups count from 0 up to the first empty one; that one and all after it are out
// of range even when a later group holds text.
TEST(TBRegExp, MatchGroupsStopAtTheFirstEmptyGroup) {
  TBRegExp re;
  ASSERT_TRUE(re.match("/(\\w+)=(\\d*)(;)?(x)?/", "speed=;x"));
  EXPECT_EQ(re.count(), 2);
  EXPECT_EQ(re.at(0), "speed=;x");
  EXPECT_EQ(re.at(1), "speed");
  EXPECT_EQ(errorOf([&] { re.at(2); }), "index out of range");
  EXPECT_EQ(errorOf([&] { re.at(3); }), "index out of range");  // ";" lies past the empty group
  ASSERT_TRUE(re.match("/(\\w+)=(\\d+)/", "a=12"));
  EXPECT_EQ(re.count(), 3);
  EXPECT_EQ(re.at(2), "12");
  EXPECT_EQ(errorOf([&] { re.at(3); }), "index out of range");
  EXPECT_EQ(errorOf([&] { re.at(-1); }), "index out of range");
}

TEST(TBRegExp, FailedOrEmptyMatchHasNoGroups) {
  TBRegExp re;
  EXPECT_FALSE(re.match("/z/", "abc"));
  EXPECT_EQ(re.count(), 0);
  EXPECT_TRUE(re.match("/^/", "abc"));  // matches, but group 0 is empty
  EXPECT_EQ(re.count(), 0);
  EXPECT_EQ(errorOf([&] { re.at(0); }), "index out of range");
}

TEST(TBRegExp, SubstituteReplacesTextOnlyWhenSomethingChanged) {
  TBRegExp re;
  std::string name = "..\\表\\My Class.zunka";
  EXPECT_TRUE(re.substitute("s/\\.\\./@/g", name));
  EXPECT_TRUE(re.substitute("s/[^@a-zA-Z0-9_]//g", name));
  EXPECT_EQ(name, "@MyClasszunka");
  EXPECT_EQ(re.count(), 5);  // \, 表 (one character), \, space and .
  EXPECT_EQ(errorOf([&] { re.at(0); }), "no strings now");
  std::string untouched = "abc";
  EXPECT_FALSE(re.substitute("s/z/y/", untouched));
  EXPECT_EQ(untouched, "abc");
  EXPECT_EQ(re.count(), 0);
}

// The string natives' split: the separator's first non-word character is escaped,
// then the text is split with it.
TEST(TBRegExp, SplitWithAnEscapedSeparator) {
  TBRegExp re;
  std::string separator = "|";
  ASSERT_TRUE(re.substitute("s/\\W/\\\\$&/", separator));
  EXPECT_EQ(separator, "\\|");
  EXPECT_EQ(re.split("/" + separator + "/", "a|b||表|", 0), 4);
  EXPECT_EQ(re.at(3), "表");
  EXPECT_EQ(errorOf([&] { re.at(4); }), "index out of range");
  std::string wide = "、";
  ASSERT_TRUE(re.substitute("s/\\W/\\\\$&/", wide));
  EXPECT_EQ(re.split("/" + wide + "/", "あ、A、い", 0), 3);
  EXPECT_EQ(re.at(1), "A");
  EXPECT_EQ(re.split("/,/", "", 0), 0);
  EXPECT_EQ(re.split("/,/", "a,b,c", 2), 2);
  EXPECT_EQ(re.at(1), "b,c");
}

TEST(TBRegExp, MalformedExpressionRaisesTheEnginesMessageAndDropsTheResult) {
  TBRegExp re;
  ASSERT_TRUE(re.match("/a/", "a"));
  EXPECT_EQ(errorOf([&] { re.match("/a(/", "a"); }), "missing closing parenthesis in /a(/");
  EXPECT_EQ(errorOf([&] { re.count(); }), "no count now");
  std::string text = "abc";
  EXPECT_EQ(errorOf([&] { re.substitute("s/[/x/", text); }),
            "missing terminating ] for character class in s/[/x/");
  EXPECT_EQ(text, "abc");
  re.free();
  EXPECT_EQ(errorOf([&] { re.at(0); }), "no strings now");
}
