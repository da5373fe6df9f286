#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script_test_support.h"

namespace zunka::test {
namespace {

using Tokens = std::vector<std::string>;

TEST(ScriptTokens, EveryLiteralTokenStandsAlone) {
  const char* literals[] = {
      "while", "break",    "if",          "is",         "in",      "else",   "null", "for",
      "fork",  "function", "constructor", "destructor", "extends", "native", "new",  "return",
      "var",   "++",       "--",          "+=",         "-=",      "*=",     "/=",   "%=",
      "!=",    "==",       ">=",          "<=",         "||",      "&&",     ">",    "<",
      ";",     "=",        "|",           "&",          "+",       "-",      "*",    "/",
      "%",     "!",        "(",           ")",          ".",       ",",      "{",    "}"};
  for (const char* literal : literals) EXPECT_EQ(scriptTokens(literal), Tokens{literal});
}

TEST(ScriptTokens, LongestMatchWinsAndTheEarlierRuleBreaksTies) {
  EXPECT_EQ(scriptTokens("a+=1"), (Tokens{"SYMBOL:a", "+=", "NUM:1"}));
  EXPECT_EQ(scriptTokens("a+ =1"), (Tokens{"SYMBOL:a", "+", "=", "NUM:1"}));
  EXPECT_EQ(scriptTokens("a!==b"), (Tokens{"SYMBOL:a", "!=", "=", "SYMBOL:b"}));
  EXPECT_EQ(scriptTokens("x<=y<z"), (Tokens{"SYMBOL:x", "<=", "SYMBOL:y", "<", "SYMBOL:z"}));
  EXPECT_EQ(scriptTokens("|||"), (Tokens{"||", "|"}));
  EXPECT_EQ(scriptTokens("i+++j"), (Tokens{"SYMBOL:i", "++", "+", "SYMBOL:j"}));
}

TEST(ScriptTokens, KeywordsNeedAnExactWholeWord) {
  EXPECT_EQ(scriptTokens("while whilex While"), (Tokens{"while", "SYMBOL:whilex", "SYMBOL:While"}));
  EXPECT_EQ(scriptTokens("fork for forx for1 for("),
            (Tokens{"fork", "for", "SYMBOL:forx", "SYMBOL:for1", "for", "("}));
  EXPECT_EQ(scriptTokens("in is if iffy"), (Tokens{"in", "is", "if", "SYMBOL:iffy"}));
  EXPECT_EQ(scriptTokens("1x"), (Tokens{"NUM:1", "SYMBOL:x"}));
}

TEST(ScriptTokens, SymbolsTakeDollarOnlyFirstAndDoubleByteCharacters) {
  EXPECT_EQ(scriptTokens("$a a$b _x9"),
            (Tokens{"SYMBOL:$a", "SYMBOL:a", "SYMBOL:$b", "SYMBOL:_x9"}));
  EXPECT_EQ(scriptTokens("表示1 = x表"), (Tokens{"SYMBOL:表示1", "=", "SYMBOL:x表"}));
  // Single-byte katakana neither starts nor continues a symbol.
  EXPECT_EQ(scriptTokens("aｱb"), (Tokens{"SYMBOL:a", "SYMBOL:b"}));
}

TEST(ScriptTokens, BytesThatStartNoTokenAreDropped) {
  EXPECT_EQ(scriptTokens("a # b"), (Tokens{"SYMBOL:a", "SYMBOL:b"}));
  EXPECT_EQ(scriptTokens("[x]:?\t\r\n@"), (Tokens{"SYMBOL:x"}));
  EXPECT_EQ(scriptTokens(""), Tokens{});
  EXPECT_EQ(scriptTokens(std::string("a\0b", 3)), (Tokens{"SYMBOL:a", "SYMBOL:b"}));
}

TEST(ScriptTokens, NumbersAreDigitsWithAnOptionalFraction) {
  EXPECT_EQ(scriptTokens("1."), (Tokens{"NUM:1", "."}));
  EXPECT_EQ(scriptTokens(".5"), (Tokens{".", "NUM:5"}));
  EXPECT_EQ(scriptTokens("12.50"), Tokens{"NUM:12.50"});
  EXPECT_EQ(scriptTokens("1.2.3"), (Tokens{"NUM:1.2", ".", "NUM:3"}));
  EXPECT_EQ(scriptTokens("-3 1e3"), (Tokens{"-", "NUM:3", "NUM:1", "SYMBOL:e3"}));
}

TEST(ScriptTokens, StringsKeepDoubleByteCharactersWhoseSecondByteIsBackslash) {
  // 表 is 95 5C and ソ is 83 5C: the 5C must not escape the closing quote.
  ASSERT_EQ(std::string("表ソ"), "\x95\x5c\x83\x5c");
  EXPECT_EQ(scriptTokens("\"表\";"), (Tokens{"STRING:\"表\"", ";"}));
  EXPECT_EQ(scriptTokens("\"ソ\" + \"x\""), (Tokens{"STRING:\"ソ\"", "+", "STRING:\"x\""}));
  EXPECT_EQ(scriptTokens(R"("a\"b" "\\")"), (Tokens{R"(STRING:"a\"b")", R"(STRING:"\\")"}));
  EXPECT_EQ(scriptTokens(R"("")"), Tokens{"STRING:\"\""});
}

TEST(ScriptTokens, StringsHoldNoControlBytes) {
  // Neither quote forms a string, and a lone quote starts no token.
  EXPECT_EQ(scriptTokens("\"a\tb\""), (Tokens{"SYMBOL:a", "SYMBOL:b"}));
  EXPECT_EQ(scriptTokens("\"a\nb\""), (Tokens{"SYMBOL:a", "SYMBOL:b"}));
}

TEST(ScriptTokens, SingleByteKatakanaBeforeTheQuoteSwallowsIt) {
  // ｱ (B1) is taken as a lead byte, so the quote after it is its second byte.
  EXPECT_EQ(scriptTokens("\"ｱ\"x\""), Tokens{"STRING:\"ｱ\"x\""});
  // With no later quote no string forms at all and the quotes are dropped.
  EXPECT_EQ(scriptTokens("x = \"ｱ\" + 1;"), (Tokens{"SYMBOL:x", "=", "+", "NUM:1", ";"}));
}

TEST(ScriptTokens, LineCommentsEndBeforeAnyControlByte) {
  EXPECT_EQ(scriptTokens("// note\nx"), (Tokens{"COMM:// note", "SYMBOL:x"}));
  EXPECT_EQ(scriptTokens("//a b\tc d"), (Tokens{"COMM://a b", "SYMBOL:c", "SYMBOL:d"}));
  EXPECT_EQ(scriptTokens("a// 表"), (Tokens{"SYMBOL:a", "COMM:// 表"}));
}

TEST(ScriptTokens, BlockCommentsPairAStarWithTheByteAfterIt) {
  EXPECT_EQ(scriptTokens("/* a\n b */x"), (Tokens{"COMM:/* a\n b */", "SYMBOL:x"}));
  EXPECT_EQ(scriptTokens("/**/"), Tokens{"COMM:/**/"});
  // "**/": the first star takes the second with it, so the slash does not end it.
  EXPECT_EQ(scriptTokens("/* a **/"), (Tokens{"/", "*", "SYMBOL:a", "*", "*", "/"}));
  EXPECT_EQ(scriptTokens("/* a **/ b */c"), (Tokens{"COMM:/* a **/ b */", "SYMBOL:c"}));
  EXPECT_EQ(scriptTokens("/* open"), (Tokens{"/", "*", "SYMBOL:open"}));
}

}  // namespace
}  // namespace zunka::test
