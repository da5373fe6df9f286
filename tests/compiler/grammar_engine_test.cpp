#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/first_set.h"
#include "script_test_support.h"
#include "toy_grammar.h"
#include "vm/errors.h"

namespace zunka::test {
namespace {

using Strings = std::vector<std::string>;

// A lexical text with one-letter tokens a, b, c and x, y, z, for grammars
// that only need distinct terminals.
constexpr std::string_view kLetters = "Lex\n 'a\n 'b\n 'c\n 'x\n 'y\n 'z\n@\n";

TEST(GrammarEngine, ParsesAnotherLanguageFromOtherTexts) {
  ToyEngine toy(kToyLexical, kToyGrammar);
  EXPECT_EQ(toy.tokens("let lets=2*(y+10)"), (Strings{"let:let", "ID:lets", "=:=", "INT:2", "*:*",
                                                      "(:(", "ID:y", "+:+", "INT:10", "):)"}));
  EXPECT_EQ(toy.parse("let x = 2*(y+1) 3"),
            "Prog(_(Let(let x = Sum(Prod(2 _(* Paren(( Sum(Prod(y _()) _(+ Prod(1 _()))) )))) "
            "_())) Sum(Prod(3 _()) _())))");
  EXPECT_EQ(toy.parse("let = 1"), "(no parse)");
  EXPECT_EQ(toy.parse(""), "Prog(_())");
  // The script language's engine is unaffected by the toy one.
  EXPECT_TRUE(parses("x = 1;"));
  EXPECT_FALSE(parses("let x = 1"));
}

TEST(GrammarEngine, AsksForANodeForEveryGrammarElementInLineOrder) {
  ToyEngine toy(kLetters, "G\n S\n  'a\n  |\n   'b\n   T\n  []\n   'c\n |T\n  'x\n@\n");
  toy.yup.build();
  EXPECT_EQ(toy.created, (Strings{"G", "S", "a", "", "b", "T", "", "c", "T", "x"}));
}

TEST(GrammarEngine, RefusesAGrammarWithoutNodeMapping) {
  TYup yup;
  yup.setLexNode({"Lex", " 'a", "@"});
  yup.setGramNode({"G", " S", "  'a", "@"});
  EXPECT_THROW(
      {
        try {
          yup.tokenize("a");
        } catch (const EError& e) {
          EXPECT_EQ(e.message(), "No onCreateList Assigned");
          throw;
        }
      },
      EError);
}

TEST(GrammarEngine, ReportsDefinitionFaultsAndReadsOn) {
  ToyEngine toy("Lex\n 'a \n -R\n  q\n  $7a\n $zz\n 'b\n@\n",
                "G\n S\n  'NOPE\n  'b\n T\n  'b\n@\n");
  toy.yup.build();
  EXPECT_EQ(toy.reports,
            (Strings{"Wanring: extra space in  'a ",
                     "バグ発生:Please Put '' or $ at the first letters of each children",
                     "バグ発生:$zz is not a hexadecimal byte.", "バグ発生:NOPE is not linked."}));
  // The space stays part of the literal; the faulty range still runs from 0 to
  // 'z' and so wins "b"; the unlinked terminal never matches.
  EXPECT_EQ(toy.tokens("a a b"), (Strings{"a :a ", "a :a ", "R:b"}));
  EXPECT_EQ(toy.parse("b"), "(no parse)");
}

TEST(GrammarEngine, ResolvesReferencesToTopLevelRulesOnly) {
  // "pair" names no rule, so it is a sequence of its children; "Opt" names the
  // optional rule and gets that rule's bounds and node.
  ToyEngine toy("Lex\n W\n  pair\n   'a\n   'b\n 'x\n 'y\n 'z\n@\n",
                "G\n S\n  'x\n  Opt\n  'y\n []Opt\n  'z\n  'W\n@\n");
  EXPECT_EQ(toy.tokens("abab a"), (Strings{"W:ab", "W:ab"}));
  EXPECT_EQ(toy.parse("x y"), "S(x Opt() y)");
  EXPECT_EQ(toy.parse("x z ab y"), "S(x Opt(z ab) y)");
  EXPECT_EQ(toy.parse("x z y"), "(no parse)");
}

TEST(GrammarEngine, IgnoresLinesThatSkipALevel) {
  ToyEngine toy(kLetters, "G\n S\n   'x\n  'y\n@\n");
  EXPECT_EQ(toy.parse("y"), "S(y)");
  EXPECT_EQ(toy.parse("x y"), "(no parse)");
}

TEST(GrammarEngine, FirstSetOfASequenceComesFromItsFirstChildOnly) {
  // "b" alone could match AB, but AB's first child is the optional 'a, so AB is
  // never tried at a "b"; the byte is dropped.
  ToyEngine toy("Lex\n AB\n  []\n   'a\n  'b\n@\n", "G\n S\n@\n");
  EXPECT_EQ(toy.tokens("ab b"), (Strings{"AB:ab"}));
}

TEST(GrammarEngine, RulesAfterStopOnlyServeReferences) {
  ToyEngine toy("Lex\n N\n  [}\n   D\n *Stop\n -D\n  '0\n  '9\n 'x\n@\n", "G\n S\n@\n");
  EXPECT_EQ(toy.tokens("12 x 3"), (Strings{"N:12", "N:3"}));
}

TEST(GrammarEngine, TakesByteLiteralsAndRangesInHex) {
  ToyEngine toy("Lex\n T\n  $09\n  -\n   $41\n   'C\n@\n", "G\n S\n@\n");
  EXPECT_EQ(toy.tokens("\tA \tC\tD"), (Strings{"T:\tA", "T:\tC"}));
  EXPECT_TRUE(toy.reports.empty());
}

TEST(GrammarEngine, AFailedOptionalGroupRestoresTheCursorAndAddsNothing) {
  ToyEngine toy(kLetters, "G\n S\n  'x\n  []\n   'y\n   'z\n  'y\n@\n");
  EXPECT_EQ(toy.parse("x y"), "S(x _() y)");
  EXPECT_EQ(toy.parse("x y z y"), "S(x _(y z) y)");
}

TEST(GrammarEngine, RepetitionIsGreedyAndBounded) {
  // The greedy group takes every "a", so the rule needing a final "a" fails.
  ToyEngine toy(kLetters, "G\n S\n  {}\n   'a\n  'a\n T\n  [}\n   'b\n@\n");
  EXPECT_EQ(toy.parse("a a"), "(no parse)");
  ToyEngine plus(kLetters, "G\n T\n  [}\n   'b\n   'c\n@\n");
  EXPECT_EQ(plus.parse(""), "(no parse)");
  EXPECT_EQ(plus.parse("b c b c"), "T(_(b c b c))");
  EXPECT_EQ(plus.parse("b c b"), "(no parse)");  // unconsumed "b"
}

TEST(GrammarEngine, StopsRepeatingWhatMatchesNothing) {
  for (ParseMode mode : {ParseMode::kMemoized, ParseMode::kPlainBacktracking}) {
    ToyEngine toy(kLetters, "G\n S\n  {}\n   []\n    'a\n  'b\n@\n");
    EXPECT_EQ(toy.parse("a a b", mode), "S(_(_(a) _(a) _()) b)");
    EXPECT_EQ(toy.parse("b", mode), "S(_(_()) b)");
  }
}

TEST(GrammarEngine, ElementsStartingWithOptionalPartsAreTriedAtLaterTokens) {
  // Item may begin with a, b (through the optional rule Opt) or c; skipping an
  // element by its first token must see past every part that can be empty.
  ToyEngine toy(kLetters,
                "G\n S\n  {}\n   Item\n Item\n  []\n   'a\n  Opt\n  'c\n []Opt\n  'b\n@\n");
  EXPECT_EQ(toy.parse("c"), "S(_(Item(_() Opt() c)))");
  EXPECT_EQ(toy.parse("b c a b c"), "S(_(Item(_() Opt(b) c) Item(_(a) Opt(b) c)))");
  for (const char* source : {"", "a", "c b", "a c c", "b b c", "a b c c"}) {
    EXPECT_EQ(toy.parse(source, ParseMode::kMemoized),
              toy.parse(source, ParseMode::kPlainBacktracking))
        << source;
  }
}

TEST(GrammarEngine, LeftRecursionFailsInsteadOfOverflowingTheStack) {
  for (ParseMode mode : {ParseMode::kMemoized, ParseMode::kPlainBacktracking}) {
    ToyEngine toy(kLetters, "G\n E\n  E\n  'a\n@\n");
    EXPECT_EQ(toy.parse("a a", mode), "(no parse)");
  }
  ToyEngine lexical("Lex\n L\n  L\n  'a\n 'b\n@\n", "G\n S\n@\n");
  EXPECT_EQ(lexical.tokens("ab"), Strings{"b:b"});
}

TEST(GrammarEngine, DefinitionsAreBuiltOnceOnFirstUse) {
  ToyEngine toy(kLetters, "G\n S\n  'a\n@\n");
  EXPECT_FALSE(toy.yup.built());
  EXPECT_EQ(toy.parse("a"), "S(a)");
  toy.yup.setGramNode({"G", " S", "  'b", "@"});
  EXPECT_EQ(toy.parse("a"), "S(a)");
}

TEST(FirstSet, AddsUnitesAndComparesBytes) {
  TFirst small, large;
  EXPECT_TRUE(small.add('a'));
  EXPECT_FALSE(small.add('a'));
  EXPECT_TRUE(small.has('a'));
  EXPECT_FALSE(small.has('b'));
  large.add(0xFF);
  EXPECT_FALSE(small.isSubsetOf(large));
  EXPECT_TRUE(large.unite(small));
  EXPECT_FALSE(large.unite(small));
  EXPECT_TRUE(small.isSubsetOf(large));
  EXPECT_TRUE(large.has(0xFF) && large.has('a') && !large.has(0));
}

}  // namespace
}  // namespace zunka::test
