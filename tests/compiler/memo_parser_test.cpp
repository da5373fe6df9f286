#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "compiler/grammar_counters.h"
#include "script_test_support.h"

namespace zunka::test {
namespace {

// Random programs, written with blanks between tokens so that they can be
// mutated token by token afterwards.
class ProgramGenerator {
 public:
  explicit ProgramGenerator(unsigned seed) : random_(seed) {}

  std::string program() {
    std::string out;
    int count = pick(4) + 1;
    for (int i = 0; i < count; ++i) out += pick(4) == 0 ? function() : statement(2);
    return out;
  }

  // Deletes, repeats or replaces one token, or inserts a stray one.
  std::string mutate(const std::string& source) {
    std::vector<std::string> tokens;
    std::istringstream in(source);
    for (std::string token; in >> token;) tokens.push_back(token);
    if (tokens.empty()) return source;
    size_t at = pick(static_cast<int>(tokens.size()));
    switch (pick(4)) {
      case 0:
        tokens.erase(tokens.begin() + at);
        break;
      case 1:
        tokens.insert(tokens.begin() + at, tokens[at]);
        break;
      case 2:
        tokens[at] = stray();
        break;
      default:
        tokens.insert(tokens.begin() + at, stray());
        break;
    }
    std::string out;
    for (const std::string& token : tokens) out += token + " ";
    return out;
  }

 private:
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

  std::string stray() {
    const char* tokens[] = {";", "(", ")", "{",   "}",  "=",   "else", "var x ;", "in", ",",
                            ".", "+", "!", "new", "is", "for", "if",   "return",  "++"};
    return tokens[pick(sizeof tokens / sizeof *tokens)];
  }

  std::string name() { return std::string(1, static_cast<char>('a' + pick(4))); }

  std::string lval(int depth) {
    std::string out = name();
    if (depth > 0 && pick(3) == 0) out += " ( " + args(depth - 1) + " )";
    if (depth > 0 && pick(3) == 0) out += " . " + lval(depth - 1);
    return out;
  }

  std::string args(int depth) {
    std::string out;
    int count = pick(3);
    for (int i = 0; i < count; ++i) out += (i ? " , " : "") + expr(depth);
    return out;
  }

  std::string expr(int depth) {
    const char* binary[] = {"||", "&&", "==", "<", ">=", "+", "-", "*", "%"};
    switch (depth > 0 ? pick(9) : pick(3)) {
      case 0:
        return lval(depth);
      case 1:
        return std::to_string(pick(100)) + (pick(4) ? "" : ".5");
      case 2:
        return "\"s\"";
      case 3:
        return "( " + expr(depth - 1) + " )";
      case 4:
        return expr(depth - 1) + " " + binary[pick(9)] + " " + expr(depth - 1);
      case 5:
        return std::string(pick(2) ? "- " : "! ") + expr(depth - 1);
      case 6:
        return "new A . B ( " + args(depth - 1) + " )";
      case 7:
        return lval(depth - 1) + (pick(2) ? " ++" : " --");
      default:
        return expr(depth - 1) + " is C";
    }
  }

  std::string statement(int depth) {
    switch (depth > 0 ? pick(9) : pick(2)) {
      case 0:
        return lval(2) + " = " + expr(3) + " ; ";
      case 1:
        return expr(3) + " ; ";
      case 2:
        return "if ( " + expr(2) + " ) " + statement(depth - 1) +
               (pick(2) ? "else " + statement(depth - 1) : "");
      case 3:
        return "while ( " + expr(2) + " ) " + statement(depth - 1);
      case 4:
        return "for ( " + expr(1) + " ; " + expr(1) + " ; " + expr(1) + " ) " +
               statement(depth - 1);
      case 5:
        return "for ( " + lval(1) + " in " + expr(2) + " ) " + statement(depth - 1);
      case 6:
        return "{ " + statement(depth - 1) + statement(depth - 1) + "} ";
      case 7:
        return pick(2) ? "return ; " : "return " + expr(2) + " ; ";
      default:
        return "break ; ";
    }
  }

  std::string function() {
    return "function f ( a , b ) { var x , y ; " + statement(2) + statement(1) + "} ";
  }

  std::mt19937 random_;
};

TEST(MemoParser, AgreesWithPlainBacktrackingOnManyPrograms) {
  ProgramGenerator generator(12345);
  int parsed = 0, failed = 0;
  for (int i = 0; i < 600; ++i) {
    std::string source = generator.program();
    if (i % 2) source = generator.mutate(source);
    ParseOutcome memo = parseScript(source, ParseMode::kMemoized);
    ParseOutcome plain = parseScript(source, ParseMode::kPlainBacktracking);
    ASSERT_EQ(memo.parsed, plain.parsed) << source;
    ASSERT_EQ(memo.tree, plain.tree) << source;
    ASSERT_EQ(memo.lastAcceptedPos, plain.lastAcceptedPos) << source;
    (memo.parsed ? parsed : failed)++;
  }
  // Both outcomes must be well represented for the comparison to mean much.
  EXPECT_GT(parsed, 200);
  EXPECT_GT(failed, 150);
}

std::string nestedCalls(int depth) {
  std::string source = "x = ";
  for (int i = 0; i < depth; ++i) source += i % 2 ? "f(1, " : "g((";
  source += "y";
  for (int i = 0; i < depth; ++i) source += i % 2 ? ")" : "))";
  return source + ";";
}

TEST(MemoParser, NestedCallsStayCheap) {
  // Without the memo every level doubles the work; 40 levels would not finish.
  EXPECT_TRUE(parseScript(nestedCalls(40)).parsed);
  EXPECT_EQ(parseScript(nestedCalls(12)).tree,
            parseScript(nestedCalls(12), ParseMode::kPlainBacktracking).tree);
}

TEST(MemoParser, AbsurdNestingFailsWithoutExhaustingTheStack) {
  std::string source = "x = " + std::string(20000, '(') + "1" + std::string(20000, ')') + ";";
  for (ParseMode mode : {ParseMode::kMemoized, ParseMode::kPlainBacktracking}) {
    ParseOutcome outcome = parseScript(source, mode);
    EXPECT_FALSE(outcome.parsed);
    EXPECT_GE(outcome.lastAcceptedPos, 4);
  }
  std::string fine = "x = " + std::string(100, '(') + "1" + std::string(100, ')') + ";";
  EXPECT_TRUE(parseScript(fine).parsed);
}

TEST(GrammarCounters, CountLiveTokensNodesAndTrees) {
  for (ParseMode mode : {ParseMode::kMemoized, ParseMode::kPlainBacktracking}) {
    scriptYup().build();  // the node prototypes count too; take them out of the picture
    scriptYup().setParseMode(mode);
    int tokens = liveTokenCount(), nodes = liveResultNodeCount(), trees = outstandingParseCount();
    {
      std::unique_ptr<TLexList> list = scriptYup().tokenize("a = f(1 // note\n); b;");
      EXPECT_EQ(liveTokenCount() - tokens, 10);
      ParseTree failed = scriptYup().parse(*list);  // no comment inside an expression
      EXPECT_FALSE(failed);
      EXPECT_EQ(liveResultNodeCount(), nodes);
      list->removeTokensOf("COMM");
      EXPECT_EQ(liveTokenCount() - tokens, 9);
      ParseTree tree = scriptYup().parse(*list);
      ASSERT_TRUE(tree);
      EXPECT_EQ(outstandingParseCount() - trees, 1);
      EXPECT_GT(liveResultNodeCount(), nodes);
      ParseTree moved = std::move(tree);
      EXPECT_EQ(outstandingParseCount() - trees, 1);
      moved.reset();
      EXPECT_EQ(outstandingParseCount(), trees);
      EXPECT_EQ(liveResultNodeCount(), nodes);
    }
    EXPECT_EQ(liveTokenCount(), tokens);
    scriptYup().setParseMode(ParseMode::kMemoized);
  }
}

// A large page is mostly groups that matched nothing ("[else ...]", "{, arg}"):
// they hold their element's one empty node instead of a node each, and freeing
// a tree must leave that node to the grammar for the next parse.
TEST(MemoParser, GroupsThatMatchedNothingShareOneNodeThatOutlivesTheTree) {
  std::string source;
  for (int i = 0; i < 200; ++i) source += "if (a) b = c.d(1); x = f(2);\n";
  std::unique_ptr<TLexList> list = scriptYup().tokenize(source);
  scriptYup().build();
  const int before = liveResultNodeCount();
  auto nodesOfOneParse = [&](ParseMode mode) {
    scriptYup().setParseMode(mode);
    ParseTree tree = scriptYup().parse(*list);
    EXPECT_TRUE(tree);
    return liveResultNodeCount() - before;
  };
  int plain = nodesOfOneParse(ParseMode::kPlainBacktracking);
  int shared = nodesOfOneParse(ParseMode::kMemoized);
  EXPECT_LT(shared * 3, plain * 2) << "plain " << plain << ", shared " << shared;
  EXPECT_EQ(liveResultNodeCount(), before);
  EXPECT_EQ(parseScript(source).tree, parseScript(source, ParseMode::kPlainBacktracking).tree);
}

}  // namespace
}  // namespace zunka::test
