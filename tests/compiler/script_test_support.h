#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "compiler/parser.h"
#include "compiler/result_list.h"
#include "compiler/yup.h"

namespace zunka::test {

// The script-language engine, built once for the whole test program.
TYup& scriptYup();

// Tokens of a source: literal tokens as their text, others as "RULE:text".
std::vector<std::string> scriptTokens(std::string_view source);

struct ParseOutcome {
  bool parsed = false;
  std::string tree;     // full dump (dumpTree), empty on failure
  std::string compact;  // compactDump, empty on failure
  int lastAcceptedPos = -1;
};

// Tokenizes, drops comments and parses, as the class compiler does.
ParseOutcome parseScript(std::string_view source, ParseMode mode = ParseMode::kMemoized);

bool parses(std::string_view source);

// A readable picture of a tree: node names without "G_", groups in brackets,
// empty groups left out, and any node left with a single item replaced by it
// (so the precedence ladder above a lone operand disappears).
std::string compactDump(const TResultList& node, const TLexList& tokens);

}  // namespace zunka::test
