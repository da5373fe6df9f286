#include "script_test_support.h"

#include <memory>

#include "compiler/script_grammar.h"
#include "compiler/tree_dump.h"

namespace zunka::test {
namespace {

bool isEmptyGroup(const TResultList& node) {
  return std::string_view(node.className()) == "G_Err" && node.count() == 0;
}

std::string compactItems(const TResultList& node, const TLexList& tokens,
                         std::vector<std::string>& items) {
  for (int i = 0; i < node.count(); ++i) {
    if (node.isToken(i))
      items.emplace_back(tokens.text(*node.token(i)));
    else if (!isEmptyGroup(*node.node(i)))
      items.push_back(compactDump(*node.node(i), tokens));
  }
  std::string joined;
  for (const std::string& item : items) joined += (joined.empty() ? "" : " ") + item;
  return joined;
}

}  // namespace

TYup& scriptYup() {
  static std::unique_ptr<TYup> yup = makeScriptYup();
  return *yup;
}

std::vector<std::string> scriptTokens(std::string_view source) {
  std::unique_ptr<TLexList> tokens = scriptYup().tokenize(source);
  std::vector<std::string> out;
  for (int i = 0; i < tokens->count(); ++i) {
    const TLexElem& token = (*tokens)[i];
    std::string text(tokens->text(token));
    out.push_back(token.rule()->kind == ElementKind::kLiteral ? text
                                                              : token.rule()->name + ":" + text);
  }
  return out;
}

ParseOutcome parseScript(std::string_view source, ParseMode mode) {
  TYup& yup = scriptYup();
  std::unique_ptr<TLexList> tokens = yup.tokenize(source);
  tokens->removeTokensOf("COMM");
  yup.setParseMode(mode);
  ParseTree tree = yup.parse(*tokens);
  yup.setParseMode(ParseMode::kMemoized);
  ParseOutcome outcome;
  outcome.parsed = static_cast<bool>(tree);
  outcome.lastAcceptedPos = tokens->lastAcceptedPos;
  if (tree) {
    outcome.tree = dumpTree(*tree.root(), *tokens);
    outcome.compact = compactDump(*tree.root(), *tokens);
  }
  return outcome;
}

bool parses(std::string_view source) {
  return parseScript(source).parsed;
}

std::string compactDump(const TResultList& node, const TLexList& tokens) {
  std::vector<std::string> items;
  std::string joined = compactItems(node, tokens, items);
  std::string_view name = node.className();
  if (name == "G_Err") return "[" + joined + "]";
  if (items.size() == 1) return joined;
  if (name.starts_with("G_")) name.remove_prefix(2);
  return std::string(name) + "(" + joined + ")";
}

}  // namespace zunka::test
