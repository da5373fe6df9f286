#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "compiler/definition_reader.h"
#include "compiler/first_sets.h"
#include "compiler/script_grammar.h"
#include "compiler/single_byte_elements.h"
#include "compiler/tokenizer.h"

namespace zunka::test {
namespace {

// The tokenizer answers one-byte elements with a set test; the same lexical
// tree without those marks makes it walk every element. Both must cut any
// text into the same tokens.
class MarkedAndWalkedTokenizers {
 public:
  explicit MarkedAndWalkedTokenizers(std::string_view lexicalText) {
    DefinitionSources sources;
    sources.report = &report_;
    walkedTree_ = readDefinition(splitDefinitionLines(lexicalText), sources);
    markedTree_ = readDefinition(splitDefinitionLines(lexicalText), sources);
    computeFirstSets(*walkedTree_);
    computeFirstSets(*markedTree_);
    markSingleByteElements(*markedTree_);
    walked_ = std::make_unique<Tokenizer>(*walkedTree_);
    marked_ = std::make_unique<Tokenizer>(*markedTree_);
  }

  std::string walked(std::string_view text) const { return dump(*walked_, text); }
  std::string marked(std::string_view text) const { return dump(*marked_, text); }

 private:
  static std::string dump(const Tokenizer& tokenizer, std::string_view text) {
    std::unique_ptr<TLexList> list = tokenizer.tokenize(text);
    std::string out;
    for (int i = 0; i < list->count(); ++i) {
      const TLexElem& token = (*list)[i];
      out += std::to_string(token.rule()->index) + ":" + std::to_string(token.start()) + "-" +
             std::to_string(token.end()) + " ";
    }
    return out;
  }

  GrammarReportHook report_ = [](const std::string&) {};
  std::unique_ptr<DefinitionElement> walkedTree_, markedTree_;
  std::unique_ptr<Tokenizer> walked_, marked_;
};

TEST(SingleByteTokens, TheScriptLexiconCutsRandomTextAsTheFullWalkDoes) {
  MarkedAndWalkedTokenizers tokenizers(scriptLexicalDefinition());
  const std::vector<std::string> pieces = {"$_exec_checkPoint",
                                           "=",
                                           "-1",
                                           ";",
                                           "new",
                                           "Ball",
                                           "()",
                                           "\"a\\\"b\"",
                                           "1.5",
                                           "//c\n",
                                           "/* x */",
                                           "\x82\xa0",
                                           "\x88\x9f",
                                           "\x81",
                                           " ",
                                           "\t",
                                           "\n",
                                           "fork",
                                           "functionx",
                                           "_9",
                                           "<=",
                                           "!",
                                           "\xff",
                                           "\x80"};
  std::mt19937 random(2026);
  for (int round = 0; round < 400; ++round) {
    std::string text;
    int count = std::uniform_int_distribution<int>(1, 40)(random);
    for (int i = 0; i < count; ++i) {
      if (random() % 5 == 0)
        text += static_cast<char>(random() % 256);
      else
        text += pieces[random() % pieces.size()];
    }
    ASSERT_EQ(tokenizers.marked(text), tokenizers.walked(text)) << text;
  }
}

// A token nested deeper than the tokenizer follows fails; the one-byte answer
// must not let it match just below that depth either (the letter sits three
// levels down, so every depth near the limit is tried).
TEST(SingleByteTokens, NestingNearTheDepthLimitEndsWhereTheWalkEnds) {
  MarkedAndWalkedTokenizers tokenizers(
      "Lex\n NEST\n  |\n   pair\n    '(\n    NEST\n    ')\n"
      "   letter\n    wrap\n     wrap2\n      -\n       'a\n       'z\n"
      "   digits\n    [}\n     |\n      -\n       '0\n       '9\n      '#!\n@\n");
  auto oneToken = [](int depth) { return "0:0-" + std::to_string(2 * depth + 1) + " "; };
  for (int depth = 300; depth <= 520; ++depth) {
    for (const char* inner : {"q", "123", "1#!2"}) {
      std::string text = std::string(depth, '(') + inner + std::string(depth, ')');
      ASSERT_EQ(tokenizers.marked(text), tokenizers.walked(text)) << "depth " << depth << inner;
    }
  }
  // The range covers both outcomes.
  EXPECT_EQ(tokenizers.walked(std::string(300, '(') + "q" + std::string(300, ')')), oneToken(300));
  EXPECT_NE(tokenizers.walked(std::string(520, '(') + "q" + std::string(520, ')')), oneToken(520));
}

}  // namespace
}  // namespace zunka::test
